// fiskon-cli pdf IN OUT.pdf --form pit11|pit40 [the options of fields] [--records all|LIST]
//                          [--each DIR]
// Draws the chosen taxpayers' forms, formatted and calculated as the print dialog asks, with the
// forms program's renderer: into one PDF, each document from a new page, or one PDF per taxpayer.
#include "cli/Commands.h"
#include "cli/FormArguments.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "forms/ControlCharacters.h"
#include "forms/TSterFormVEL.h"
#include "store/Cp1250.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <memory>

namespace {

QString text(std::string_view bytes) { return cp1250::toUnicode(bytes); }
QString text(const QByteArray& bytes) { return text(std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size()))); }

// "007_NOWAK_ANNA.pdf": the position (as wide as the register's largest), surname and first name,
// with what a file name cannot hold made "_".
QString documentFileName(int position, int count, const TaxpayerRecord& taxpayer) {
    static const QRegularExpression unsafe(QStringLiteral(R"([/\\:*?"<>|\s\x00-\x1f]+)"));
    const int width = static_cast<int>(QString::number(count).size());
    QString name = QStringLiteral("%1_%2_%3")
                       .arg(position, width, 10, QLatin1Char('0'))
                       .arg(text(taxpayer.nazwisko), text(taxpayer.imie1));
    name.replace(unsafe, QStringLiteral("_"));
    return name + QStringLiteral(".pdf");
}

struct Document {
    int position = 0;
    std::unique_ptr<FormDocument> form;
};

}  // namespace

int RunPdfCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const FormRequest request = ParseFormRequest(arguments, {QStringLiteral("records"), QStringLiteral("each")});
    const bool each = request.eachDirectory.has_value();
    if (request.files.size() != (each ? 1 : 2))
        throw UsageError(each ? QStringLiteral("Z --each podaje się tylko plik danych podatników (pliki PDF trafiają do katalogu).")
                              : QStringLiteral("Polecenie pdf wymaga pliku danych podatników i pliku PDF."));
    if (!each) {
        // A slip of the command line must not put a PDF over the data it is made from.
        const QString output = QFileInfo(request.files[1]).absoluteFilePath();
        for (const QString& source : {request.files[0], request.payerFile})
            if (!source.isEmpty() && QFileInfo(source).absoluteFilePath() == output)
                throw UsageError(QStringLiteral("Plik PDF nie może zastąpić pliku danych „%1”.").arg(source));
    }
    if (request.recordOption && request.recordsOption)
        throw UsageError(QStringLiteral("Podaje się --record albo --records, nie oba."));

    Workspace workspace;
    if (!OpenFormWorkspace(workspace, request, err)) return kExitFailure;
    TaxpayerRegister& taxpayers = workspace.taxpayers;
    const std::optional<std::vector<int>> chosen = ChosenRecords(
        request.recordsOption.value_or(request.recordOption.value_or(QStringLiteral("all"))), taxpayers.count(), err);
    if (!chosen) return kExitFailure;

    EditionSymbols symbols;
    SetEditionSymbols(symbols, request.yearIndex);
    std::vector<Document> documents;
    documents.reserve(chosen->size());
    QByteArrayList lines;
    for (const int position : *chosen) {
        taxpayers.SelectByIndex(position - 1);
        const QByteArray symbol =
            BuildFieldList(lines, request.choices, taxpayers.current(), workspace.payer, symbols).value_or(QByteArray());
        Document document{position, FormDocument::create(symbol)};
        if (!document.form) {
            err << QStringLiteral("Program formularzy nie zna formularza %1.").arg(QString::fromLatin1(symbol)) << '\n';
            return kExitFailure;
        }
        const TaxpayerRecord& taxpayer = *taxpayers.current();
        // Findings go to a terminal: a control character in them is shown, not obeyed.
        const QString who = EscapeControlCharacters(
            QStringLiteral("%1 %2 %3").arg(position).arg(text(taxpayer.nazwisko), text(taxpayer.imie1)));
        // As the print dialog sends it: formatted and calculated.
        if (!document.form->setFields(JoinLines(lines), FormDocument::AutoFormat | FormDocument::Calculate)) {
            err << QStringLiteral("Program formularzy odrzucił listę pól podatnika %1: nie powstał żaden plik PDF.").arg(who)
                << '\n';
            return kExitFailure;
        }
        for (const QByteArray& finding : SplitLines(document.form->errors()))
            err << who << QStringLiteral(": ") << EscapeControlCharacters(text(finding)) << '\n';
        // A form whose amounts could not be calculated is not put on paper with stale totals.
        if (const auto& failure = document.form->calculationError()) {
            err << QStringLiteral("Rekord nr %1: %2 Nie zapisano pliku PDF.").arg(position).arg(failure->message) << '\n';
            return kExitFailure;
        }
        documents.push_back(std::move(document));
    }

    QString error;
    if (!each) {
        std::vector<const FormDocument*> pages;
        for (const Document& document : documents) pages.push_back(document.form.get());
        if (!writeFormsPdf(request.files[1], pages, &error)) {
            err << error << '\n';
            return kExitFailure;
        }
        return kExitSuccess;
    }
    const QDir directory(*request.eachDirectory);
    if (!directory.mkpath(QStringLiteral("."))) {
        err << QStringLiteral("Nie można utworzyć katalogu „%1”.").arg(*request.eachDirectory) << '\n';
        return kExitFailure;
    }
    for (const Document& document : documents) {
        const QString path =
            directory.filePath(documentFileName(document.position, taxpayers.count(), taxpayers.at(document.position - 1)));
        if (!writeFormsPdf(path, {document.form.get()}, &error)) {
            err << error << '\n';
            return kExitFailure;
        }
    }
    return kExitSuccess;
}
