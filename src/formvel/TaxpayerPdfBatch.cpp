#include "formvel/TaxpayerPdfBatch.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/TaxpayerPdfFileNames.h"
#include "forms/TSterFormVEL.h"
#include "store/Cp1250.h"

#include <QDir>

#include <algorithm>
#include <iterator>
#include <memory>

namespace {

QString text(std::string_view bytes) { return cp1250::toUnicode(bytes); }

const TaxpayerRecord& taxpayerAt(const TaxpayerPdfRequest& request, int index) {
    return request.taxpayers->at(request.positions[static_cast<std::size_t>(index)] - 1);
}

}  // namespace

QStringList TaxpayerPdfPaths(const TaxpayerPdfRequest& request) {
    const QDir folder(request.folder);
    const QStringList names = TaxpayerPdfFileNames(*request.taxpayers);
    QStringList paths;
    for (const int position : request.positions) paths << folder.filePath(names.at(position - 1));
    return paths;
}

QString TaxpayerLabel(const TaxpayerPdfRequest& request, int index) {
    const TaxpayerRecord& taxpayer = taxpayerAt(request, index);
    return QStringLiteral("%1 %2 %3")
        .arg(request.positions[static_cast<std::size_t>(index)])
        .arg(text(taxpayer.nazwisko), text(taxpayer.imie1));
}

QStringList TaxpayersWithoutSecret(const TaxpayerPdfRequest& request) {
    QStringList lines;
    for (int index = 0; index < static_cast<int>(request.positions.size()); ++index)
        if (const QString problem = PdfSecretProblem(request.protection, taxpayerAt(request, index)); !problem.isEmpty())
            lines << QStringLiteral("rekord nr %1: %2").arg(TaxpayerLabel(request, index), problem);
    return lines;
}

QString TaxpayerPdfStopReason(const TaxpayerPdfRequest& request, int index, const FormPdfOutcome& outcome) {
    const int position = request.positions[static_cast<std::size_t>(index)];
    if (!outcome.accepted)
        return QStringLiteral("Rekord nr %1: program formularzy odrzucił listę pól podatnika %2 – nie zapisano żadnego pliku PDF.")
            .arg(position)
            .arg(TaxpayerLabel(request, index));
    // A form whose amounts could not be calculated is not put on paper with stale totals.
    if (!outcome.calculationFailure.isEmpty())
        return QStringLiteral("Rekord nr %1: %2 Nie zapisano żadnego pliku PDF.").arg(position).arg(outcome.calculationFailure);
    return {};
}

QString TaxpayerPdfSignatureReason(const TaxpayerPdfRequest& request) {
    const int index = std::clamp(request.yearIndex, 0, static_cast<int>(std::size(kFormYears)) - 1);
    return PdfSignatureReason(request.choices.kind == FormKind::Pit40, QString::fromLatin1(request.choices.taxYear),
                              QString::fromLatin1(kFormYears[index]));
}

FormPdfBatch MakeTaxpayerPdfBatch(const TaxpayerPdfRequest& request) {
    FormPdfBatch batch;
    batch.count = static_cast<int>(request.positions.size());
    batch.jobs = request.jobs;
    const bool each = !request.folder.isEmpty();
    const QStringList paths = each ? TaxpayerPdfPaths(request) : QStringList();
    auto lines = std::make_shared<QByteArrayList>();
    batch.source = [&request, paths, lines, each](int index) {
        const TaxpayerRecord& taxpayer = taxpayerAt(request, index);
        FormPdfSource source;
        source.symbol =
            BuildFieldList(*lines, request.choices, &taxpayer, *request.payer, request.symbols).value_or(QByteArray());
        source.fields = JoinLines(*lines);
        source.options = FormDocument::AutoFormat | FormDocument::Calculate;  // as the print dialog sends it
        if (each) {
            source.path = paths[index];
            source.password = PdfPasswordOf(request.protection, taxpayer, request.onePassword);
        }
        return source;
    };
    return batch;
}
