// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QWebEngineFindTextResult;
class QWebEnginePage;
class TextButton;

// The bar under the title bar that finds text in the page: matches are
// highlighted as the user types and the bar says which match is current and
// how many there are. It takes the host's colours and captions when it opens.
// Closing it ends the search, keeps the current match selected in the page and
// hands the keyboard back to the page.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    FindBar(QWidget *parent, QWebEnginePage *page);

    // Shows the bar with the keyboard in its field, the last text selected.
    void open();
    void close();
    // The next or previous match; a closed or empty bar opens instead.
    void step(bool backward);
    // What the bar says now: the matches, the host's "no matches" text, or nothing.
    QString status() const;

signals:
    // Shown or hidden: the owner lays the page out again.
    void shownChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyConfig();
    void search(bool backward);
    void showResult(const QWebEngineFindTextResult &result);

    QWebEnginePage *page;
    QLineEdit *field = nullptr;
    QLabel *count = nullptr;
    TextButton *previousButton = nullptr;
    TextButton *nextButton = nullptr;
    TextButton *closeButton = nullptr;
};
