// SPDX-License-Identifier: Apache-2.0
#include "downloads/modelitemroot.h"

ModelItemRoot::ModelItemRoot(QObject *parent)
    : ModelItemBase(parent)
{
}
