#include "downloads/modelitemroot.h"

ModelItemRoot::ModelItemRoot(QObject *parent)
    : ModelItemBase(parent)
{
}
