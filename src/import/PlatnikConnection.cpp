#include "import/PlatnikConnection.h"

#include "import/DatabaseError.h"
#include "store/Cp1250.h"

#include <QFileInfo>

#include <charconv>

using mdbstream::MdbFailure;

QString DatabaseFailureText(MdbFailure failure, const QString& detail, const QString& path) {
    switch (failure) {
        case MdbFailure::WrongPassword:
            return QStringLiteral("Nieprawidłowe hasło.");
        case MdbFailure::NotADatabase:
            return QStringLiteral("Nierozpoznany format bazy danych '%1'.").arg(path);
        case MdbFailure::Truncated:
            return QStringLiteral("Baza danych '%1' jest uszkodzona lub niekompletna i wymaga naprawy.")
                .arg(path);
        case MdbFailure::MissingTable:
            return QStringLiteral("Nie można odnaleźć tabeli wejściowej lub kwerendy '%1'. "
                                  "Upewnij się, że istnieje i że jej nazwa jest poprawnie wpisana.")
                .arg(detail);
        case MdbFailure::Unreadable:
            return QStringLiteral("Nie można otworzyć pliku '%1'. Jest on już otwarty wyłącznie przez "
                                  "innego użytkownika lub do wyświetlenia jego danych potrzebne jest "
                                  "uprawnienie (%2).")
                .arg(path, detail);
        case MdbFailure::DamagedTable:
            return QStringLiteral("Nie udało się odczytać wszystkich wierszy tabeli '%1' bazy danych '%2': "
                                  "baza jest uszkodzona.")
                .arg(detail, path);
        case MdbFailure::Internal:
            break;
    }
    return QStringLiteral("Nieoczekiwany błąd odczytu bazy danych (%1).").arg(detail);
}

bool PlatnikConnection::FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

void PlatnikConnection::PrepareConnection() {
    Close();
    connectionText_ = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + dbPath_ +
                      QStringLiteral(";Jet OLEDB:Database Password=") + dbPassword_ +
                      QStringLiteral(";Mode=Read");
    table_.Close();
    table_.SetTableName("ZUSZUA");
}

MdbStreamResult PlatnikConnection::runReader(const QStringList& tables, int timeoutMs) const {
    return process_.run(dbPath_, dbPassword_, tables, timeoutMs);
}

LoginResult PlatnikConnection::TestLogin() {
    const LoginResult result = Login();
    Close();
    return result;
}

LoginResult PlatnikConnection::Login() {
    PrepareConnection();
    if (!FileExists(dbPath_))
        return {LoginResult::Outcome::NoFile, QStringLiteral("Błędnie wskazany plik bazy danych!")};
    QString providerMessage;
    try {
        const MdbStreamResult result = runReader({}, loginTimeoutMs_);
        if (result.status == MdbStreamResult::Status::Complete) {
            connected_ = true;
            return {};
        }
        providerMessage = DatabaseFailureText(result.failure, QString::fromUtf8(result.detail), dbPath_);
    } catch (const DatabaseError& error) {
        providerMessage = error.message();
    }
    return {LoginResult::Outcome::Refused,
            QStringLiteral("Podczas próby logowania do bazy wystąpił następujący błąd : \r\n") +
                providerMessage};
}

void PlatnikConnection::Open() {
    Close();
    const MdbStreamResult result = runReader({}, loginTimeoutMs_);
    if (result.status != MdbStreamResult::Status::Complete)
        throw DatabaseError(DatabaseFailureText(result.failure, QString::fromUtf8(result.detail), dbPath_));
    connected_ = true;
}

void PlatnikTable::Close() {
    data_.reset();
    row_ = 0;
}

void PlatnikTable::Open() {
    Close();
    if (!connection_.IsConnected())
        throw DatabaseError(QStringLiteral("Operacja nie jest dozwolona, gdy połączenie jest zamknięte."));
    QString name = QString::fromLatin1(tableName_.data(), static_cast<qsizetype>(tableName_.size()));
    for (std::size_t i = 0; i < fieldNames_.size(); ++i) {
        name += QLatin1Char(i == 0 ? mdbstream::kColumnsFollow : mdbstream::kColumnSeparator);
        name += QString::fromLatin1(fieldNames_[i].data(), static_cast<qsizetype>(fieldNames_[i].size()));
    }
    MdbStreamResult result = connection_.runReader({name}, connection_.tableTimeoutMs_);
    if (result.status != MdbStreamResult::Status::Complete || result.tables.size() != 1)
        throw DatabaseError(DatabaseFailureText(result.failure, QString::fromUtf8(result.detail),
                                                connection_.DbPath()));
    data_ = std::make_unique<MdbTableData>(std::move(result.tables.front()));
}

std::size_t PlatnikTable::RecordCount() const {
    return data_ ? data_->rowCount() : 0;
}

void PlatnikTable::MoveTo(std::size_t row) {
    if (!data_ || row < 1 || row > data_->rowCount())
        throw DatabaseError(QStringLiteral("Bieżący rekord nie istnieje (wiersz %1).").arg(row));
    row_ = row - 1;
}

std::size_t PlatnikTable::FieldIndex(std::string_view column) const {
    const int index = data_ ? data_->columnIndex(column) : -1;
    if (index < 0)
        throw DatabaseError(QStringLiteral("Nie można odnaleźć pola '%1' w tabeli '%2'.")
                                .arg(QString::fromLatin1(column.data(), static_cast<qsizetype>(column.size())),
                                     QString::fromLatin1(tableName_.data(),
                                                         static_cast<qsizetype>(tableName_.size()))));
    return static_cast<std::size_t>(index);
}

std::string_view PlatnikTable::AsText(std::size_t field) const {
    if (!data_ || row_ >= data_->rowCount() || field >= data_->columns().size())
        throw DatabaseError(QStringLiteral("Bieżący rekord nie istnieje."));
    return data_->value(row_, field);
}

std::int32_t PlatnikTable::AsInteger(std::size_t field) const {
    const std::string_view text = AsText(field);
    if (text.empty()) return 0;
    std::int32_t value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (*begin == '+') ++begin;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || begin == end)
        throw DatabaseError(QStringLiteral("'%1' is not a valid integer value")
                                .arg(cp1250::toUnicode(text)));
    return value;
}
