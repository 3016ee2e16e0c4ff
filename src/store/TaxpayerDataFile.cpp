#include "store/TaxpayerDataFile.h"

#include "store/AtomicFileWriter.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/IniDocument.h"
#include "store/IniLines.h"
#include "store/LegacyTextEncoding.h"
#include "store/WholeFileReader.h"
#include "store/TaxpayerFileKeys.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <unordered_map>

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

std::string recordSectionName(std::int64_t number) {
    std::string name = std::to_string(number);
    name.insert(name.begin(), 's');
    return name;
}

void writeRecord(IniTextWriter& writer, const TaxpayerRecord& record, std::size_t number) {
    writer.beginSection(recordSectionName(number));
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

// Takes one key line of a record section into the record; unknown keys are passed over. Fed in
// file order, a repeated key ends with its last value.
void readKey(TaxpayerRecord& record, std::string_view name, std::string_view value) {
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
}

bool equalsIgnoringAsciiCase(std::string_view text, std::string_view lowerAscii) {
    if (text.size() != lowerAscii.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        if (c != lowerAscii[i]) return false;
    }
    return true;
}

QString countFailure(std::string_view countText) {
    return QStringLiteral("Liczba rekordów „%1” w sekcji [Parametry] nie jest liczbą całkowitą.")
        .arg(cp1250::toUnicode(countText.substr(0, 40)));
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
    // Key names, "=", line ends and the numbers take about 330 bytes a record; the texts the rest.
    std::size_t size = 64;
    for (int i = 0; i < taxpayers.count(); ++i) {
        const TaxpayerRecord& record = taxpayers.at(i);
        size += 400;
        for (const Key& key : taxpayer_file_keys::all())
            if (key.kind == Kind::Text) size += key.get(record).size();
            else if (key.kind == Kind::Amount) size += amountOf(record, key).size();
    }
    writer.reserve(size);
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
        if (failure) *failure = countFailure(countText);
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
        document.forEachKey(recordSectionName(number),
                            [&](std::string_view name, std::string_view value) { readKey(record, name, value); });
        taxpayers.Add(record);  // refuses a record without first name or surname
    }
    taxpayers.Resort();
    return true;
}

// The file reader proper. It applies the INI rules (the shared line rules, names matched without
// case, last occurrence wins) like LoadFromDocument, but in two passes over the text without
// building a document: the first notes where each record section and "Parametry" lie (only the
// last occurrence of a name counts), the second reads just the sections the count asks for.
bool LoadFromText(TaxpayerRegister& taxpayers, std::string_view text, QString* failure) {
    taxpayers.Clear();
    struct Body {
        const char* begin = nullptr;
        const char* end = nullptr;
    };
    std::unordered_map<std::int64_t, Body> records;
    std::optional<Body> parameters;
    Body* open = nullptr;  // the section being passed over, to close at the next header
    ini_lines::scan(text, [&](const ini_lines::Line& line) {
        if (line.kind != ini_lines::Kind::Section) return;
        if (open) open->end = line.begin;
        open = nullptr;
        if (const std::int64_t number = recordSectionNumber(line.name); number > 0) {
            open = &(records[number] = Body{line.end, nullptr});
        } else if (equalsIgnoringAsciiCase(line.name, "parametry")) {
            parameters = Body{line.end, nullptr};
            open = &*parameters;
        }
    });
    if (open) open->end = text.data() + text.size();

    auto forEachKey = [](const Body& body, auto&& visit) {
        ini_lines::scan(std::string_view(body.begin, static_cast<std::size_t>(body.end - body.begin)),
                        [&](const ini_lines::Line& line) {
                            if (line.kind == ini_lines::Kind::Key) visit(line.name, line.value);
                        });
    };

    std::string_view countText = "0";
    if (parameters)
        forEachKey(*parameters, [&](std::string_view name, std::string_view value) {
            if (equalsIgnoringAsciiCase(name, "liczbarekordow")) countText = value;
        });
    const std::optional<std::int32_t> count = ParseIniInteger(countText);
    if (!count) {
        if (failure) *failure = countFailure(countText);
        return false;
    }
    if (*count <= 0) return true;

    std::vector<std::pair<std::int64_t, Body>> wanted;
    for (const auto& [number, body] : records)
        if (number <= *count) wanted.emplace_back(number, body);
    std::sort(wanted.begin(), wanted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    TaxpayerRecord record;
    for (const auto& [number, body] : wanted) {
        TaxpayerRegister::ClearRecord(record);
        forEachKey(body, [&](std::string_view name, std::string_view value) { readKey(record, name, value); });
        taxpayers.Add(record);  // refuses a record without first name or surname
    }
    taxpayers.Resort();
    return true;
}

bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName, QString* failure) {
    taxpayers.Clear();
    std::optional<std::string> bytes;
    try {
        bytes = ReadWholeFile(fileName);
    } catch (const FileError& error) {
        if (failure) *failure = error.message();
        return false;
    }
    if (!bytes) return true;  // no such file: nothing to read
    return LoadFromText(taxpayers, ToCp1250FromFileText(std::move(*bytes)), failure);
}

bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName) {
    return LoadFromFile(taxpayers, fileName, nullptr);
}
