// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "downloads/modelitembase.h"

// One calendar day of the history; its time is the local midnight that starts it.
class ModelItemDate : public ModelItemBase
{
    Q_OBJECT
public:
    explicit ModelItemDate(quint64 time);

    int itemType() override { return DayItem; }
    quint64 compareValue() override { return m_time; }
    quint64 time() const { return m_time; }

private:
    const quint64 m_time;
};
