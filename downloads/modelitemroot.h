// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "downloads/modelitembase.h"

// The invisible top of the download history tree; its children are the days.
class ModelItemRoot : public ModelItemBase
{
    Q_OBJECT
public:
    explicit ModelItemRoot(QObject *parent = nullptr);

    int itemType() override { return RootItem; }
    quint64 compareValue() override { return 0; }
};
