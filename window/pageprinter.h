// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

class QPrinter;
class QWebEnginePage;
class QWidget;

// Prints the whole page through the platform's print dialog, which also
// offers a PDF file where there is no printer; for Ctrl+P and for the page's
// own window.print(). The host may switch printing off.
//
// For tests only: CHANNEL_WB_TEST_PRINT_TO, when set, names a PDF file that
// printing writes straight away, without the dialog.
class PagePrinter : public QObject
{
    Q_OBJECT
public:
    PagePrinter(QWebEnginePage *page, QWidget *dialogParent);
    ~PagePrinter() override;
    void print();

private:

    QWebEnginePage *page;
    QPointer<QWidget> dialogParent;
    // The engine draws into it after the dialog is gone; one print at a time.
    std::unique_ptr<QPrinter> printer;
};
