// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QtGlobal>

// Marks what the host library offers to programs that link it; everything
// else stays inside the library.
#if defined(CWB_HOST_LIBRARY)
#define CWB_HOST_EXPORT Q_DECL_EXPORT
#else
#define CWB_HOST_EXPORT Q_DECL_IMPORT
#endif
