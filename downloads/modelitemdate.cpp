#include "downloads/modelitemdate.h"

ModelItemDate::ModelItemDate(quint64 time)
    : m_time(time)
{
}
