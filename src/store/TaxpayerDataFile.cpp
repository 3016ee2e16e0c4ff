#include "store/TaxpayerDataFile.h"

#include "store/AtomicFileWriter.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/IniDocument.h"
#include "store/TaxpayerFileKeys.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view kParameters = "Parametry";
constexpr std::string_view kRecordCount = "LiczbaRekordow";

using taxpayer_file_keys::Key;
using taxpayer_file_keys::Kind;

TaxpayerRecord::Amount& amountOf(TaxpayerRecord& record, const Key& key) {
    return key.pit11 ? record.p11Box(key.box) : record.p40Box(key.box);
}
const TaxpayerRecord::Amount& amountOf(const TaxpayerRecord& record, const Key& key) {
    return key.pit11 ? record.p11Box(key.box) : record.p40Box(key.box);
}

void writeRecord(IniTextWriter& writer, const TaxpayerRecord& record, std::size_t number) {
    writer.beginSection("s" + std::to_string(number));
    for (const Key& key : taxpayer_file_keys::all()) {
        switch (key.kind) {
        case Kind::Text: writer.key(key.name, key.get(record)); break;
        case Kind::Amount:
            if (const auto& amount = amountOf(record, key); !amount.empty()) writer.key(key.name, amount.view());
            break;
        case Kind::Number: writer.key(key.name, std::to_string(record.*key.number)); break;
        }
    }
}

// Fills a cleared record from the key lines of its section; a repeated key ends with its last
// value, unknown keys are passed over.
void readRecord(TaxpayerRecord& record, const IniDocument& document, const std::string& section) {
    document.forEachKey(section, [&](std::string_view name, std::string_view value) {
        const Key* key = taxpayer_file_keys::find(name);
        if (!key) return;
        switch (key->kind) {
        case Kind::Text: key->set(record, value); break;
        case Kind::Amount: amountOf(record, *key).assign(value); break;
        case Kind::Number:
            // Not an integer reads as 0; only the low eight bits are kept.
            record.*key->number = static_cast<std::uint8_t>(ParseIniInteger(value).value_or(0) & 0xFF);
            break;
        }
    });
}

// The number n of a section named "s" + n (any letter case, n written without leading zeros),
// or 0 for any other name.
std::int64_t recordSectionNumber(std::string_view name) {
    if (name.size() < 2 || name.size() > 11 || (name[0] != 's' && name[0] != 'S') || name[1] == '0') return 0;
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(name.data() + 1, name.data() + name.size(), number);
    if (error != std::errc() || end != name.data() + name.size()) return 0;
    return number;
}

}  // namespace

std::string TaxpayerFileText(const TaxpayerRegister& taxpayers) {
    IniTextWriter writer;
    writer.reserve(static_cast<std::size_t>(taxpayers.count()) * 512 + 64);
    for (int i = 0; i < taxpayers.count(); ++i)
        writeRecord(writer, taxpayers.at(i), static_cast<std::size_t>(i) + 1);
    writer.beginSection(kParameters);
    writer.key(kRecordCount, std::to_string(taxpayers.count()));
    return writer.finish();
}

// The file is written once, whole, through a temporary file: the earlier content stays until the
// new one is complete.
void SaveToFile(const TaxpayerRegister& taxpayers, const QString& fileName) {
    WriteFileAtomically(fileName, TaxpayerFileText(taxpayers));
}

bool LoadFromDocument(TaxpayerRegister& taxpayers, const IniDocument& document, QString* failure) {
    taxpayers.Clear();
    const std::string countText = document.readString(kParameters, kRecordCount, "0");
    const std::optional<std::int32_t> count = ParseIniInteger(countText);
    if (!count) {
        if (failure)
            *failure = QStringLiteral("Liczba rekordów „%1” w sekcji [Parametry] nie jest liczbą całkowitą.")
                           .arg(cp1250::toUnicode(std::string_view(countText).substr(0, 40)));
        return false;
    }
    if (*count <= 0) return true;

    // Only sections that exist are visited, in number order: a count far larger than the file
    // costs nothing.
    std::vector<std::int64_t> numbers;
    for (const std::string& name : document.sectionNames()) {
        const std::int64_t number = recordSectionNumber(name);
        if (number >= 1 && number <= *count) numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());

    TaxpayerRecord record;
    for (const std::int64_t number : numbers) {
        TaxpayerRegister::ClearRecord(record);
        readRecord(record, document, "s" + std::to_string(number));
        taxpayers.Add(record);  // refuses a record without first name or surname
    }
    taxpayers.Resort();
    return true;
}

bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName, QString* failure) {
    taxpayers.Clear();
    IniDocument document;
    try {
        document = IniDocument::readFile(fileName);
    } catch (const FileError& error) {
        if (failure) *failure = error.message();
        return false;
    }
    return LoadFromDocument(taxpayers, document, failure);
}

bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName) {
    return LoadFromFile(taxpayers, fileName, nullptr);
}
