// SPDX-License-Identifier: Apache-2.0
#include "downloads/modelitemdate.h"

ModelItemDate::ModelItemDate(quint64 time)
    : m_time(time)
{
}
