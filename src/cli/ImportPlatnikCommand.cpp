// fiskon-cli import-platnik DB [OUT] [--password-stdin] [--into EXISTING] [--payer PAYERFILE]
//                           [--only taxpayers|payer] [--sort KEY]
// Imports from a Płatnik database as the import wizard does: the insured persons into the
// register (written to OUT as Save as does), the payer into the payer file.
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ImportArguments.h"

#include "import/DatabaseError.h"
#include "import/PlatnikReaders.h"
#include "store/FileErrors.h"
#include "store/PayerRecord.h"
#include "store/Workspace.h"

#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <string>

namespace {

// The data-access module of the command line: a failed login is printed.
class CliDataAccess : public PlatnikDataAccess {
public:
    explicit CliDataAccess(QTextStream& err) : err_(err) {}
    bool loginFailed = false;

protected:
    void ReportLoginFailure(const LoginResult& result) override {
        loginFailed = true;
        err_ << result.message << '\n';
    }

private:
    QTextStream& err_;
};

// The first line of standard input, without its line end; nothing else is parsed.
QString ReadPasswordLine() {
    std::string line;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) line.push_back(static_cast<char>(c));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return QString::fromUtf8(line);
}

struct Request {
    QString database;
    QString output;
    QString into;
    QString payerFile;
    bool taxpayers = true;
    bool payer = true;
    bool passwordFromStdin = false;
    TaxpayerSortKey sortKey = TaxpayerSortKey::SortByNazwisko;
};

Request ParseRequest(const QStringList& arguments) {
    const ImportArguments parsed = ImportArguments::parse(
        arguments, {QStringLiteral("into"), QStringLiteral("payer"), QStringLiteral("only"), QStringLiteral("sort")},
        {QStringLiteral("password-stdin")});
    Request request;
    request.passwordFromStdin = parsed.flags.count(QStringLiteral("password-stdin")) != 0;
    request.into = parsed.value(QStringLiteral("into"));
    request.payerFile = parsed.value(QStringLiteral("payer"));
    if (parsed.has(QStringLiteral("sort"))) request.sortKey = ParseSortKey(parsed.value(QStringLiteral("sort")));
    if (parsed.has(QStringLiteral("only"))) {
        const QString only = parsed.value(QStringLiteral("only"));
        if (only == QLatin1String("taxpayers")) request.payer = false;
        else if (only == QLatin1String("payer")) request.taxpayers = false;
        else throw UsageError(QStringLiteral("--only przyjmuje „taxpayers” albo „payer”, a nie „%1”.").arg(only));
    }
    const qsizetype wanted = request.taxpayers ? 2 : 1;
    if (parsed.files.size() != wanted)
        throw UsageError(request.taxpayers
                             ? QStringLiteral("Polecenie wymaga pliku bazy danych i pliku wyjściowego.")
                             : QStringLiteral("Z --only payer podaje się tylko plik bazy danych (bez pliku wyjściowego)."));
    if (!request.taxpayers && request.payerFile.isEmpty())
        throw UsageError(QStringLiteral("Z --only payer trzeba wskazać plik płatnika opcją --payer."));
    if (!request.taxpayers && !request.into.isEmpty())
        throw UsageError(QStringLiteral("--into nie ma zastosowania z --only payer."));
    request.database = parsed.files[0];
    if (request.taxpayers) request.output = parsed.files[1];
    return request;
}

}  // namespace

int RunImportPlatnikCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const Request request = ParseRequest(arguments);

    Workspace workspace;
    workspace.taxpayers.Sort(request.sortKey);
    if (!request.into.isEmpty()) {
        if (!OpenTaxpayersForCommand(workspace.taxpayers, request.into, err)) return kExitFailure;
    }
    if (request.payer && !request.payerFile.isEmpty() && QFileInfo::exists(request.payerFile))
        LoadFromFile(workspace.payer, request.payerFile);

    CliDataAccess access(err);
    access.SetDbPath(request.database);
    access.SetDbPassword(request.passwordFromStdin ? ReadPasswordLine() : QString());
    try {
        if (request.taxpayers) ReadInsuredPersons(access, workspace.taxpayers);
        if (request.payer && !access.loginFailed) ReadPayerData(access, workspace.payer);
    } catch (const DatabaseError&) {
        err << kReadingErrorMessage << '\n';
        return kExitFailure;
    } catch (const RecordLimitError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    }
    if (access.loginFailed) return kExitFailure;

    try {
        // Without --payer the payer is read (a reading error shows as in the program) but kept nowhere.
        if (request.payer && !request.payerFile.isEmpty()) SaveToFile(workspace.payer, request.payerFile);
    } catch (const FileError& error) {
        err << error.message() << '\n';
        return kExitFailure;
    }
    return request.taxpayers ? SaveTaxpayersForCommand(workspace, request.output, err) : kExitSuccess;
}
