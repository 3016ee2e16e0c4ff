#include "formvel/FormPrinting.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

int PrintFormPages(QPrinter& printer, const FormDocument& document, int firstPage, int lastPage) {
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (printer.docName().isEmpty()) printer.setDocName(document.layout().formName);
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
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

QString BatchSiblingPath(const QString& chosen, const FormDocument& document) {
    const QFileInfo info(chosen);
    QString taxpayer = FileNamePart(document.taxpayerName());
    if (taxpayer.isEmpty()) taxpayer = QStringLiteral("formularz");
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral(".pdf") : u'.' + info.suffix();
    return UniqueFilePath(info.dir().filePath(info.completeBaseName() + u'_' + taxpayer + suffix));
}
