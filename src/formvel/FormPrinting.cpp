#include "formvel/FormPrinting.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cstdio>

namespace {

// Keeps Qt's own English warnings about a painter that could not start ("QPainter::begin():
// Returned false") from the user while a print starts; the caller reports the failure in Polish.
class QuietPainterStart {
public:
    QuietPainterStart() : previous_(qInstallMessageHandler(&QuietPainterStart::filter)) { current() = previous_; }
    ~QuietPainterStart() { qInstallMessageHandler(previous_); }
    QuietPainterStart(const QuietPainterStart&) = delete;
    QuietPainterStart& operator=(const QuietPainterStart&) = delete;

private:
    static QtMessageHandler& current() {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.startsWith(QLatin1String("QPainter::begin"))) return;
        if (current())
            current()(type, context, message);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
    QtMessageHandler previous_;
};

}  // namespace

int PrintFormPages(QPrinter& printer, const FormDocument& document, int firstPage, int lastPage, QString* error,
                   const FileWriteOptions& options) {
    // Into a file: through the safe writer, never over a file half-written.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return WriteFormPdfPages(printer.outputFileName(), document, firstPage, lastPage, error, options);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (printer.docName().isEmpty()) printer.setDocName(FormPdfTitle({&document}));
    QPainter painter;
    bool started = false;
    {
        const QuietPainterStart quiet;
        started = painter.begin(&printer);
    }
    if (!started) {
        if (error) *error = QStringLiteral("Nie można rozpocząć drukowania na drukarce %1.").arg(printer.printerName());
        return 0;
    }
    bool first = true;
    const int pages = DrawFormPages(painter, printer, document, firstPage, lastPage, first);
    painter.end();
    return pages;
}

QStringList AvailablePrinterNames() { return QPrinterInfo::availablePrinterNames(); }

QString UniqueFilePath(const QString& wanted) {
    if (!QFileInfo::exists(wanted)) return wanted;
    const QFileInfo info(wanted);
    const QString stem = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = info.dir().filePath(QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix));
        if (!QFileInfo::exists(candidate)) return candidate;
    }
}

QString FileNamePart(const QString& text) {
    QString part;
    for (QChar ch : text.trimmed()) {
        if (ch.isLetterOrNumber() || ch == u'-')
            part += ch;
        else if (ch.isSpace() && !part.endsWith(u'_'))
            part += u'_';
    }
    return part;
}

QString FallbackPdfPath(const FormDocument& document) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    QDir().mkpath(folder);
    QString name = FileNamePart(QString(document.layout().formName).replace(u'/', u'-'));
    const QString taxpayer = FileNamePart(document.taxpayerName());
    if (!taxpayer.isEmpty()) name += u'_' + taxpayer;
    return UniqueFilePath(QDir(folder).filePath(name + QStringLiteral(".pdf")));
}

QString BatchSiblingPath(const QString& chosen, const QString& firstTaxpayer, const FormDocument& document) {
    const QFileInfo info(chosen);
    QString taxpayer = FileNamePart(document.taxpayerName());
    if (taxpayer.isEmpty()) taxpayer = QStringLiteral("formularz");
    // "PIT-11-8B_NOWAK_ANNA.pdf" chosen for the first: "PIT-11-8B_" + the later taxpayer.
    QString stem = info.completeBaseName();
    const QString first = FileNamePart(firstTaxpayer);
    if (!first.isEmpty()) {
        const QRegularExpression named(u'_' + QRegularExpression::escape(first) + QStringLiteral(R"((?: \(\d+\))?$)"));
        stem.remove(named);
    }
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral(".pdf") : u'.' + info.suffix();
    return UniqueFilePath(info.dir().filePath(stem + u'_' + taxpayer + suffix));
}
