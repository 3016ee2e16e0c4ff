#include "store/TaxpayerDataFile.h"

#include "store/AtomicFileWriter.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/IniDocument.h"
#include "store/IniLines.h"
#include "store/LegacyTextEncoding.h"
#include "store/OverlongAmount.h"
#include "store/WholeFileReader.h"
#include "store/TaxpayerFileKeys.h"
#include "store/TaxpayerFileSections.h"
#include "store/TaxpayerSectionReader.h"
#include "store/TaxpayerTextWriter.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

constexpr std::string_view kParameters = "Parametry";
constexpr std::string_view kRecordCount = "LiczbaRekordow";

using taxpayer_file_keys::Key;
using taxpayer_file_keys::Kind;

void setAmount(TaxpayerRecord& record, const Key& key, std::string_view value) {
    if (key.pit11) record.p11Box(key.box) = value;
    else record.p40Box(key.box) = value;
}

std::string recordSectionName(std::int64_t number) {
    std::string name = std::to_string(number);
    name.insert(name.begin(), 's');
    return name;
}

// Takes one key line of a record section into the record; unknown keys are passed over. Fed in
// file order, a repeated key ends with its last value.
void readKey(TaxpayerRecord& record, std::string_view name, std::string_view value) {
    const Key* key = taxpayer_file_keys::find(name);
    if (!key) return;
    switch (key->kind) {
    case Kind::Text: key->set(record, value); break;
    case Kind::Amount: setAmount(record, *key, value); break;
    case Kind::Number:
        // Not an integer reads as 0; only the low eight bits are kept.
        record.*key->number = static_cast<std::uint8_t>(ParseIniInteger(value).value_or(0) & 0xFF);
        break;
    }
}

// An amount too long for its box in the record of section "s" + number, which was added as the
// register's last record.
QString overlongFailure(const TaxpayerRegister& taxpayers, std::int64_t number, const OverlongAmount& amount) {
    return OverlongAmountMessage(QStringLiteral("Podatnik z sekcji [s%1]").arg(number),
                                 taxpayers.at(taxpayers.count() - 1), amount, QStringLiteral("Pliku nie wczytano."));
}

QString countFailure(std::string_view countText) {
    return QStringLiteral("Liczba rekordów „%1” w sekcji [Parametry] nie jest liczbą całkowitą.")
        .arg(cp1250::toUnicode(countText.substr(0, 40)));
}

}  // namespace

std::string TaxpayerFileText(const TaxpayerRegister& taxpayers) {
    std::size_t size = 64;
    for (int i = 0; i < taxpayers.count(); ++i) size += TaxpayerTextWriter::estimatedSize(taxpayers.at(i));
    std::string text;
    text.reserve(size);
    TaxpayerTextWriter writer(text);
    for (int i = 0; i < taxpayers.count(); ++i) writer.record(taxpayers.at(i), static_cast<std::size_t>(i) + 1);
    writer.parameters(static_cast<std::size_t>(taxpayers.count()));
    return text;
}

// The file is written once, whole, through a temporary file: the earlier content stays until the
// new one is complete. The text is made and written a piece of about a megabyte at a time, so the
// whole file never has to sit in memory.
void SaveToFile(const TaxpayerRegister& taxpayers, const QString& fileName, FileStamp* written) {
    constexpr std::size_t kPiece = 1 << 20;
    std::string piece;
    piece.reserve(kPiece + (1 << 16));
    TaxpayerTextWriter writer(piece);
    int next = 0;
    bool parametersWritten = false;
    FileStampMaker stamp;
    WriteFileAtomically(fileName, [&]() -> std::string_view {
        piece.clear();
        while (next < taxpayers.count() && piece.size() < kPiece) {
            writer.record(taxpayers.at(next), static_cast<std::size_t>(next) + 1);
            ++next;
        }
        if (next == taxpayers.count() && !parametersWritten) {
            writer.parameters(static_cast<std::size_t>(taxpayers.count()));
            parametersWritten = true;
        }
        stamp.add(piece);
        return piece;
    });
    if (written) *written = stamp.finish();
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
        const std::int64_t number = RecordSectionNumber(name);
        if (number >= 1 && number <= *count) numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());

    TaxpayerRecord record;
    const std::vector<Key>& keys = taxpayer_file_keys::all();
    for (const std::int64_t number : numbers) {
        TaxpayerRegister::ClearRecord(record);
        const std::string section = recordSectionName(number);
        document.forEachKey(section, [&](std::string_view name, std::string_view value) { readKey(record, name, value); });
        if (!taxpayers.Add(record)) continue;  // refused without first name or surname
        for (std::size_t k = taxpayer_file_keys::kFirstAmountKey; k < taxpayer_file_keys::kAfterAmountKeys; ++k) {
            const std::string value = document.readString(section, keys[k].name, "");
            if (value.size() <= TaxpayerRecord::P11Amounts::kWidth) continue;
            if (failure) *failure = overlongFailure(taxpayers, number, OverlongAmount{keys[k].pit11, keys[k].box, value});
            taxpayers.Clear();
            return false;
        }
    }
    taxpayers.Resort();
    return true;
}

// The file reader proper. It applies the INI rules (the shared line rules, names matched without
// case, last occurrence wins) like LoadFromDocument, but without building a document: it first
// finds where the sections lie, then reads just the record sections the count asks for, each
// straight into the register's storage.
namespace {

// LoadFromText's reading proper, into an empty register.
bool ReadTaxpayerText(TaxpayerRegister& taxpayers, std::string_view text, QString* failure, bool resort) {
    // One section more than the register takes is enough to find a file too large.
    const auto limit = static_cast<std::size_t>(taxpayers.recordLimit());
    const TaxpayerFileSections sections = FindTaxpayerFileSections(text, limit + 1);

    auto forEachKey = [](std::string_view body, auto&& visit) {
        ini_lines::scan(body, [&](const ini_lines::Line& line) {
            if (line.kind == ini_lines::Kind::Key) visit(line.name, line.value);
        });
    };

    std::string_view countText = "0";
    if (sections.parameters)
        forEachKey(*sections.parameters, [&](std::string_view name, std::string_view value) {
            if (EqualsIgnoringAsciiCase(name, "liczbarekordow")) countText = value;
        });
    const std::optional<std::int32_t> count = ParseIniInteger(countText);
    if (!count) {
        if (failure) *failure = countFailure(countText);
        return false;
    }
    if (*count <= 0) return true;
    // Sections were left out only when the file holds more than the register may: some of
    // them would be read.
    if (sections.firstLeftOut && sections.firstLeftOut <= *count) throw RecordLimitError(taxpayers.recordLimit());

    for (const auto& [number, body] : sections.records) {
        if (number > *count) break;
        std::optional<OverlongAmount> overlong;
        // refused without first name or surname
        const bool added = taxpayers.AddFilled(
            [&overlong, body = body](TaxpayerRecord& record) { overlong = ReadTaxpayerSection(body, record); });
        if (added && overlong) throw OverlongAmountError(overlongFailure(taxpayers, number, *overlong));
    }
    if (resort) taxpayers.Resort();
    return true;
}

}  // namespace

// The file is read into a register of its own, which replaces the given one only when the
// reading succeeded: a file that fails (also one with more records than a register may hold,
// found while reading, before it costs more memory) leaves the register as it was.
namespace {

bool LoadText(TaxpayerRegister& taxpayers, std::string_view text, QString* failure, LoadFailure* kind,
              bool resort = true) {
    TaxpayerRegister loaded;
    loaded.setRecordLimit(taxpayers.recordLimit());
    loaded.Sort(taxpayers.sortKey());  // empty: only takes the key over
    try {
        if (!ReadTaxpayerText(loaded, text, failure, resort)) {
            if (kind) *kind = LoadFailure::BadRecordCount;
            return false;
        }
    } catch (const RecordLimitError& error) {
        if (failure) *failure = error.message();
        if (kind) *kind = LoadFailure::FileRefused;
        return false;
    } catch (const OverlongAmountError& error) {
        if (failure) *failure = error.message();
        if (kind) *kind = LoadFailure::OverlongAmount;
        return false;
    }
    taxpayers.Clear();  // the old records and their blocks go at once
    taxpayers = std::move(loaded);
    return true;
}

}  // namespace

bool LoadFromText(TaxpayerRegister& taxpayers, std::string_view text, QString* failure) {
    return LoadText(taxpayers, text, failure, nullptr);
}

bool LoadFromTextInWrittenOrder(TaxpayerRegister& taxpayers, std::string_view text, QString* failure) {
    return LoadText(taxpayers, text, failure, nullptr, false);
}

bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName, QString* failure) {
    return LoadFromFile(taxpayers, fileName, failure, nullptr);
}

bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName, QString* failure, LoadFailure* kind) {
    return LoadFromFile(taxpayers, fileName, failure, kind, nullptr);
}

bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName, QString* failure, LoadFailure* kind,
                  FileStamp* read) {
    if (kind) *kind = LoadFailure::None;
    std::optional<FileBytes> bytes;
    try {
        bytes = ReadWholeFileBytes(fileName);
    } catch (const FileError& error) {
        if (failure) *failure = error.message();
        if (kind) *kind = LoadFailure::FileRefused;
        return false;
    }
    if (!bytes) {  // no such file: nothing to read
        taxpayers.Clear();
        return true;
    }
    const std::string_view text = bytes->view();
    if (read) *read = FileStamp::ofBytes(text);
    if (IsCertainlyUtf8(text)) return LoadText(taxpayers, ToCp1250FromFileText(std::string(text)), failure, kind);
    return LoadText(taxpayers, text, failure, kind);
}

bool LoadFromFile(TaxpayerRegister& taxpayers, const QString& fileName) {
    return LoadFromFile(taxpayers, fileName, nullptr);
}
