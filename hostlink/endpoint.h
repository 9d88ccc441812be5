// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QString>

// The host's local server name, derived from the directory of our executable
// so that each installation talks to its own host.
QString psServerPrefix();
const QString &cGUIDStr();
QString endpointName(const QString &applicationDirPath);
