#include "signing/TaxpayerPdfFiles.h"

#include "formvel/FormPdfBatch.h"
#include "signing/SignedPdfBatch.h"

int WriteTaxpayerPdfs(const TaxpayerPdfRequest& request, const TaxpayerPdfWriting& writing) {
    FormPdfBatch batch = MakeTaxpayerPdfBatch(request);
    if (writing.key) SignBatchFiles(batch, *writing.key, TaxpayerPdfSignatureReason(request), writing.visibleSignature);
    batch.checked = [&](int index, const FormPdfOutcome& outcome) {
        if (writing.findings && !outcome.findings.isEmpty()) writing.findings(index, outcome.findings);
        if (const QString stop = TaxpayerPdfStopReason(request, index, outcome); !stop.isEmpty())
            throw TaxpayerPdfStopped(stop);
    };
    batch.progress = writing.progress;
    if (!request.folder.isEmpty()) return WriteEachFormPdf(batch);
    WriteFormsPdfBatch(writing.onePdf, batch);
    return 1;
}
