#include "formvel/app/SignedFormPdf.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/PdfSplitter.h"
#include "signing/SigningError.h"
#include "signing/SigningKey.h"
#include "store/AtomicFileWriter.h"
#include "store/FileErrors.h"

#include <QDir>

#include <stdexcept>
#include <string_view>

bool WriteSignedFormPdf(const QString& path, const FormDocument& document, const SigningKey& key, bool visible,
                        QString* error) {
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1 Nie zapisano pliku PDF „%2”.").arg(why, QDir::toNativeSeparators(path));
        return false;
    };
    if (const auto& failure = document.calculationError()) return fail(failure->message);
    try {
        QByteArray pdf = RenderFormsPdf({{&document, 1, document.pageCount()}}, FormPdfTitle({&document}));
        // An invisible signature needs no font of the signing library's own.
        if (!visible) pdf = WithSignatureFont(pdf);
        const QByteArray signedPdf = key.sign(pdf, PdfSignatureRequest{{}, PdfSignatureReason(document), visible});
        WriteFileAtomically(path, std::string_view(signedPdf.constData(), static_cast<std::size_t>(signedPdf.size())));
        return true;
    } catch (const FileError& failure) {
        // The writer's message names the file and the cause already.
        if (error) *error = failure.message();
        return false;
    } catch (const SigningError& failure) {
        return fail(failure.message());
    } catch (const std::runtime_error& failure) {
        return fail(QString::fromUtf8(failure.what()));
    }
}
