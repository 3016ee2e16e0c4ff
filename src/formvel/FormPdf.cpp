#include "formvel/FormPdf.h"

#include "formvel/FormDocument.h"
#include "formvel/FormRenderer.h"
#include "store/AtomicFileWriter.h"
#include "store/FileErrors.h"

#include <QBuffer>
#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

#include <string_view>

int DrawFormPages(QPainter& painter, QPagedPaintDevice& device, const FormDocument& document, int firstPage,
                  int lastPage, bool& firstOnDevice) {
    const int first = std::max(1, firstPage);
    const int last = std::min(document.pageCount(), lastPage);
    int drawn = 0;
    const QRectF pageRect = painter.viewport();
    for (int page = first; page <= last; ++page) {
        if (!firstOnDevice && !device.newPage()) return drawn;
        firstOnDevice = false;
        painter.save();
        BeginFormPage(painter, pageRect);
        DrawFormPage(painter, document, page - 1);
        painter.restore();
        ++drawn;
    }
    return drawn;
}

QString FormEditionLabel(const FormDocument& document) {
    const QByteArray symbol = document.layout().symbol;
    const QByteArray edition = symbol.mid(symbol.lastIndexOf('_') + 1);
    return QStringLiteral("%1(%2)").arg(document.layout().formName, QString::fromLatin1(edition));
}

QString FormPdfTitle(const QStringList& editionLabels, int documents, const QString& onlyTaxpayer) {
    const QString forms = editionLabels.join(QStringLiteral(", "));
    if (documents > 1) return QStringLiteral("%1 – podatnicy: %2").arg(forms).arg(documents);
    return onlyTaxpayer.isEmpty() ? forms : QStringLiteral("%1 – %2").arg(forms, onlyTaxpayer);
}

QString FormPdfTitle(const std::vector<const FormDocument*>& documents) {
    QStringList labels;
    for (const FormDocument* document : documents)
        if (const QString label = FormEditionLabel(*document); !labels.contains(label)) labels << label;
    const QString taxpayer = documents.size() == 1 ? documents.front()->taxpayerName() : QString();
    return FormPdfTitle(labels, static_cast<int>(documents.size()), taxpayer);
}

QString PdfSignatureReason(bool pit40, const QString& typedTaxYear, const QString& editionYear) {
    if (!pit40) return QStringLiteral("PIT-11/8B za rok %1").arg(editionYear);
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    const QString typed = typedTaxYear.trimmed();
    return QStringLiteral("PIT-40 za rok %1").arg(fourDigits.match(typed).hasMatch() ? typed : editionYear);
}

QString PdfSignatureReason(const FormDocument& document) {
    const FormLayout& layout = document.layout();
    QString typed;
    for (const FormBox& box : layout.boxes)
        if (box.kind == BoxKind::TaxYear) typed = document.value(box.key);
    return PdfSignatureReason(layout.isPit40, typed, QString::number(layout.editionYear));
}

QByteArray RenderFormsPdf(const std::vector<FormPdfPages>& pages, const QString& title) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);  // an open device: the painter's start cannot fail
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("Fiskon – formularze"));
        writer.setTitle(title);
        QPainter painter(&writer);
        bool first = true;
        for (const FormPdfPages& part : pages)
            DrawFormPages(painter, writer, *part.document, part.firstPage, part.lastPage, first);
    }
    return buffer.data();
}

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error, const FileWriteOptions& options = {}) {
    try {
        WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), options);
        return true;
    } catch (const FileError& failure) {
        if (error) *error = failure.message();
        return false;
    }
}

}  // namespace

bool writeFormsPdf(const QString& path, const std::vector<const FormDocument*>& documents, QString* error) {
    if (documents.empty()) {
        if (error) *error = QStringLiteral("Nie ma żadnego formularza do zapisania.");
        return false;
    }
    std::vector<FormPdfPages> pages;
    for (const FormDocument* document : documents) pages.push_back({document, 1, document->pageCount()});
    return writeBytes(path, RenderFormsPdf(pages, FormPdfTitle(documents)), error);
}

int WriteFormPdfPages(const QString& path, const FormDocument& document, int firstPage, int lastPage, QString* error,
                      const FileWriteOptions& options) {
    if (const auto& failure = document.calculationError()) {
        if (error) *error = QStringLiteral("%1 Nie zapisano pliku PDF „%2”.").arg(failure->message, QDir::toNativeSeparators(path));
        return 0;
    }
    const int first = std::max(1, firstPage);
    const int last = std::min(document.pageCount(), lastPage);
    if (first > last) {
        if (error) *error = QStringLiteral("Formularz nie ma stron %1–%2.").arg(firstPage).arg(lastPage);
        return 0;
    }
    const QByteArray bytes = RenderFormsPdf({{&document, first, last}}, FormPdfTitle({&document}));
    return writeBytes(path, bytes, error, options) ? last - first + 1 : 0;
}
