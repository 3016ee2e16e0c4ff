#include "formvel/app/FormPrintJobs.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPrinting.h"
#include "store/AtomicFileWriter.h"
#include "formvel/app/FormWindow.h"

#include <QDir>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

}  // namespace

FormPrintJobs::FormPrintJobs() = default;

FormPrintJobs::~FormPrintJobs() {
    for (auto& [document, job] : jobs_)
        if (job.dialog) delete job.dialog.data();
}

int FormPrintJobs::printOn(QPrinter& printer, const FormDocument& document, int firstPage, int lastPage,
                           bool generatedName) {
    printError_.clear();
    FileWriteOptions options;
    options.replaceLinks = generatedName;
    const int pages = PrintFormPages(printer, document, firstPage, lastPage, &printError_, options);
    lastOutputFile_ = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    return pages;
}

bool FormPrintJobs::print(FormDocument& document, FormWindow* window, const Request& request) {
    Job& job = jobs_[&document];
    const int first = std::max(1, request.firstPage);
    const int last = std::min(request.lastPage, document.pageCount());
    if (first > last) return false;
    QString message;
    int pages = 0;
    if (job.chosen && job.printer) {
        if (!job.chosenFile.isEmpty())
            job.printer->setOutputFileName(BatchSiblingPath(job.chosenFile, job.chosenTaxpayer, document));
        if (!request.caption.isEmpty()) job.printer->setDocName(request.caption);
        pages = printOn(*job.printer, document, first, last, !job.chosenFile.isEmpty());
        if (!job.chosenFile.isEmpty())
            message = QStringLiteral("Formularz zapisano w pliku %1.").arg(Native(lastOutputFile_));
        else if (!request.silent)
            message = QStringLiteral("Formularz wysłano do drukarki %1.").arg(job.printer->printerName());
    } else {
        const QStringList printers = AvailablePrinterNames();
        if (printers.isEmpty()) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(FallbackPdfPath(document));
            pages = printOn(printer, document, first, last, true);
            message = QStringLiteral("W systemie nie ma drukarki – formularz zapisano w pliku %1.").arg(Native(lastOutputFile_));
        } else {
            QString name = QPrinterInfo::defaultPrinterName();
            if (request.printerIndex >= 0 && request.printerIndex < printers.size()) name = printers.at(request.printerIndex);
            if (name.isEmpty()) name = printers.front();
            QPrinter printer(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
            if (!request.caption.isEmpty()) printer.setDocName(request.caption);
            pages = printOn(printer, document, first, last);
            if (!request.silent) message = QStringLiteral("Formularz wysłano do drukarki %1.").arg(name);
        }
    }
    if (pages == 0) message = failureMessage();
    else job.range = std::make_pair(first, first + pages - 1);
    if (window && !message.isEmpty()) window->showStatus(message);
    return pages > 0;
}

bool FormPrintJobs::openDialog(FormDocument& document, FormWindow* window, int firstPage, int lastPage,
                               const QString& caption) {
    Job& job = jobs_[&document];
    if (job.dialog) {
        job.dialog->raise();
        job.dialog->activateWindow();
        return true;
    }
    job.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (AvailablePrinterNames().isEmpty()) {
        job.printer->setOutputFormat(QPrinter::PdfFormat);
        job.printer->setOutputFileName(FallbackPdfPath(document));
    }
    if (!caption.isEmpty()) job.printer->setDocName(caption);
    if (firstPage > 0 || lastPage > 0) {
        const int first = std::clamp(firstPage == 0 ? 1 : firstPage, 1, document.pageCount());
        const int last = std::clamp(lastPage == 0 ? document.pageCount() : lastPage, first, document.pageCount());
        job.printer->setPrintRange(QPrinter::PageRange);
        job.printer->setFromTo(first, last);
    }
    auto* dialog = new QPrintDialog(job.printer.get(), window);
    dialog->setObjectName(QStringLiteral("dlgDrukuj"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Drukowanie formularza %1").arg(document.layout().formName));
    dialog->setMinMax(1, document.pageCount());
    dialog->setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange);
    job.dialog = dialog;
    job.finished = false;
    job.chosen = false;
    job.range.reset();  // a cancelled dialog gives no range
    QPointer<FormWindow> windowGuard(window);
    connect(dialog, &QDialog::finished, this, [this, documentPtr = &document, windowGuard, dialog](int result) {
        const auto it = jobs_.find(documentPtr);
        if (it != jobs_.end() && it->second.dialog.data() == dialog) dialogClosed(documentPtr, windowGuard, result);
    });
    // A dialog that goes away with its window counts as closed, so that nobody waits for it.
    connect(dialog, &QObject::destroyed, this, [this, documentPtr = &document] {
        const auto it = jobs_.find(documentPtr);
        if (it != jobs_.end() && !it->second.dialog) it->second.finished = true;
    });
    dialog->open();
    return true;
}

void FormPrintJobs::dialogClosed(FormDocument* document, QPointer<FormWindow> window, int result) {
    const auto it = jobs_.find(document);
    if (it == jobs_.end()) return;
    Job& job = it->second;
    job.finished = true;
    job.dialog = nullptr;  // it deletes itself; a later dialog is another
    if (result != QDialog::Accepted || !job.printer) return;
    QPrinter& printer = *job.printer;
    int first = 1;
    int last = document->pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage();
        last = std::max(first, printer.toPage());
    }
    const int pages = printOn(printer, *document, first, last);
    job.chosen = pages > 0;
    job.chosenFile = lastOutputFile_;
    job.chosenTaxpayer = document->taxpayerName();
    job.documents = 0;
    if (pages > 0) job.range = std::make_pair(first, last);
    if (window) {
        if (pages == 0)
            window->showStatus(failureMessage());
        else if (!job.chosenFile.isEmpty())
            window->showStatus(QStringLiteral("Formularz zapisano w pliku %1.").arg(Native(job.chosenFile)));
        else
            window->showStatus(QStringLiteral("Formularz wysłano do drukarki %1.").arg(printer.printerName()));
    }
}

QString FormPrintJobs::failureMessage() const {
    return printError_.isEmpty() ? QStringLiteral("Nie udało się wydrukować formularza.") : printError_;
}

bool FormPrintJobs::dialogFinished(const FormDocument* document) const {
    const auto it = jobs_.find(document);
    return it == jobs_.end() || it->second.finished;
}

std::optional<std::pair<int, int>> FormPrintJobs::range(const FormDocument* document) const {
    const auto it = jobs_.find(document);
    return it == jobs_.end() ? std::nullopt : it->second.range;
}

int FormPrintJobs::endDocument(const FormDocument* document) {
    return ++jobs_[document].documents;
}

void FormPrintJobs::forget(const FormDocument* document) {
    const auto it = jobs_.find(document);
    if (it == jobs_.end()) return;
    if (it->second.dialog) {
        it->second.dialog->disconnect(this);
        delete it->second.dialog.data();
    }
    jobs_.erase(it);
}
