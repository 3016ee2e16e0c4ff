#include "signing/SignedPdfBatch.h"

#include "signing/SigningKey.h"

void SignBatchFiles(FormPdfBatch& batch, const SigningKey& key, const QString& reason, bool visible) {
    batch.invisibleSignature = !visible;
    batch.seal = [&key, reason, visible](int, const QByteArray& file, const QByteArray& password) {
        return key.sign(file, PdfSignatureRequest{password, reason, visible});
    };
}
