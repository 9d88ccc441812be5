// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QtMath>

// Whole-pixel text metrics that come out the same with either toolkit. Qt 5
// rounds a font's hinted ascent and descent up each; Qt 6 keeps them
// fractional and rounds to the nearest, which made every caption, box button
// and message line a pixel lower there.
inline int textAscent(const QFont &font)
{
    return qCeil(QFontMetricsF(font).ascent());
}

inline int textLineHeight(const QFont &font)
{
    return textAscent(font) + qCeil(QFontMetricsF(font).descent());
}
