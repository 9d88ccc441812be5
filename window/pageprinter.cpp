// SPDX-License-Identifier: Apache-2.0
#include "window/pageprinter.h"

#include "config/vellchatwbconfigure.h"
#include "web/enginecompat.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QWebEnginePage>

PagePrinter::PagePrinter(QWebEnginePage *page, QWidget *dialogParent)
    : QObject(page)
    , page(page)
    , dialogParent(dialogParent)
{
    connect(page, &QWebEnginePage::printRequested, this, &PagePrinter::print);
}

PagePrinter::~PagePrinter() = default;

void PagePrinter::print()
{
    if (!VellChatWBConfigure::Printing() || printer)
        return;
    printer.reset(new QPrinter(QPrinter::HighResolution));
    const QString testFile = qEnvironmentVariable("CHANNEL_WB_TEST_PRINT_TO");
    if (!testFile.isEmpty()) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(testFile);
    } else {
        QPrintDialog dialog(printer.get(), dialogParent);
        dialog.setWindowTitle(page->title());
        if (dialog.exec() != QDialog::Accepted) {
            printer.reset();
            return;
        }
    }
    // To a PDF file the engine writes its own PDF, with the text in it; a
    // printer gets the pages drawn as pictures.
    if (printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty()) {
        page->printToPdf(printer->outputFileName(), printer->pageLayout());
        printer.reset();
        return;
    }
    QPointer<PagePrinter> self(this);
    EngineCompat::print(page, printer.get(), [self](bool) {
        if (self)
            self->printer.reset();
    });
}
