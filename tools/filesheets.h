// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QImage>
#include <QStringList>

// The file-type pictures of the download history: a sheet of paper with a
// folded corner and a mark for its kind, drawn in a 48-unit grid.
namespace filesheets {

// The kinds in the order of the art bundle's names, "ppt" to "folder".
QStringList kinds();

// One kind at `size` pixels square; an unknown kind gives a null image.
QImage draw(const QString &kind, int size);

}
