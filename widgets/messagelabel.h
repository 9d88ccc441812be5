// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QLabel>
#include <climits>

class QTextLayout;

// The text of an information box. It wraps within the width it is given: at
// spaces where it can, inside a word (a long file name, an address) where it
// must. Lines that do not fit its height are left out and the last line that
// does ends in an ellipsis, so the text never runs under anything below it.
class MessageLabel : public QLabel
{
    Q_OBJECT
public:
    MessageLabel(const QString &text, QWidget *parent);

    // The size the text takes when its lines may be at most maxWidth wide,
    // counting no more than maxLines lines: what cannot be shown is not
    // measured, which keeps a huge message as cheap as the lines it shows.
    QSize textSize(int maxWidth, int maxLines = INT_MAX) const;
    int lineHeight() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Breaks the text into at most maxLines lines of at most width, one
    // lineHeight() apart.
    void layoutLines(QTextLayout &layout, int width, int maxLines) const;
    QString layoutText() const;
};
