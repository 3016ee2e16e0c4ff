#include "store/PayerRecord.h"

#include <QFile>

#include "store/AtomicFileWriter.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/IniDocument.h"
#include "store/LegacyTextEncoding.h"
#include "store/WholeFileReader.h"

#include <QDir>

#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kSection = "Platnik";

// The text keys after "rodzaj", in the order they are written.
template <typename Visit>
void forEachTextKey(Visit&& visit) {
    visit("nazwa", &PayerRecord::nazwa);
    visit("kraj", &PayerRecord::kraj);
    visit("wojewodztwo", &PayerRecord::wojewodztwo);
    visit("powiat", &PayerRecord::powiat);
    visit("gmina", &PayerRecord::gmina);
    visit("ulica", &PayerRecord::ulica);
    visit("nrDomu", &PayerRecord::nrDomu);
    visit("nrLok", &PayerRecord::nrLok);
    visit("miejscowosc", &PayerRecord::miejscowosc);
    visit("kodPoczt", &PayerRecord::kodPoczt);
    visit("poczta", &PayerRecord::poczta);
    visit("NIP", &PayerRecord::NIP);
}

}  // namespace

void WritePayerSection(IniDocument& document, const PayerRecord& payer) {
    document.writeInteger(kSection, "rodzaj", payer.rodzaj);
    forEachTextKey([&](std::string_view key, auto field) {
        document.writeString(kSection, key, (payer.*field).view());
    });
}

void ReadPayerSection(const IniDocument& document, PayerRecord& payer, const QString& fileName) {
    const std::string kind = document.readString(kSection, "Rodzaj", "0");
    const std::optional<std::int32_t> number = ParseIniInteger(kind);
    if (!number)
        throw ConversionError(QStringLiteral("„%1” nie jest poprawną liczbą całkowitą (rodzaj płatnika w pliku „%2”).")
                                  .arg(cp1250::toUnicode(std::string_view(kind).substr(0, 40)), fileName));
    PayerRecord loaded = payer;  // keeps regon, which the file does not hold
    loaded.rodzaj = static_cast<std::uint8_t>(*number & 0xFF);
    forEachTextKey([&](std::string_view key, auto field) {
        (loaded.*field).assign(document.readString(kSection, key, ""));
    });
    payer = loaded;
}

void SaveToFile(const PayerRecord& payer, const QString& fileName, FileStamp* written) {
    // The rest of the file is kept, normalised by the INI writer.
    IniDocument document = IniDocument::readFile(fileName);
    WritePayerSection(document, payer);
    const std::string text = document.serialize();
    WriteFileAtomically(fileName, text);
    if (written) *written = FileStamp::ofBytes(text);
}

void LoadFromFile(PayerRecord& payer, const QString& fileName) {
    ReadPayerSection(IniDocument::readFile(fileName), payer, fileName);
}

void LoadPayerFile(PayerRecord& payer, const QString& fileName, FileStamp* read) {
    std::optional<std::string> bytes = ReadWholeFile(fileName);
    if (!bytes)
        throw FileError(QStringLiteral("Nie ma pliku płatnika „%1”.").arg(QDir::toNativeSeparators(fileName)));
    const FileStamp stamp = FileStamp::ofBytes(*bytes);
    const IniDocument document = IniDocument::parse(ToCp1250FromFileText(std::move(*bytes)));
    if (!document.hasSection(kSection))
        throw FileError(QStringLiteral("Plik „%1” nie zawiera danych płatnika (brak sekcji [Platnik]).")
                            .arg(QDir::toNativeSeparators(fileName)));
    ReadPayerSection(document, payer, fileName);
    if (read) *read = stamp;
}

bool LooksLikePayerFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QByteArray head = file.read(4096);
    if (head.startsWith("\xEF\xBB\xBF")) head.remove(0, 3);
    for (const QByteArray& line : head.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(';')) continue;
        return trimmed.compare("[Platnik]", Qt::CaseInsensitive) == 0;
    }
    return false;
}
