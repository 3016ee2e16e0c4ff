#include "import/DelimitedImport.h"

#include "store/Cp1250.h"
#include "store/FileErrorText.h"
#include "store/FileErrors.h"
#include "store/OverlongAmount.h"
#include "store/WholeFileReader.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <optional>

namespace {

// A flag value: a decimal integer, empty meaning 0; leading spaces are allowed, as the
// platform's integer conversion allows them. The field holds one byte, so a value outside 0..255
// is refused rather than silently wrapped into another choice.
std::uint8_t ParseFlag(std::string_view text) {
    if (text.empty()) return 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && *begin == ' ') ++begin;
    if (begin == end) throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(cp1250::toUnicode(text)));
    if (*begin == '+') ++begin;
    long long value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    const QString shown = cp1250::toUnicode(text);
    if (begin == end || error == std::errc::invalid_argument || stop != end ||
        (error != std::errc() && error != std::errc::result_out_of_range))
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(shown));
    if (error == std::errc::result_out_of_range || value < 0 || value > 255)
        throw ConversionError(QStringLiteral("'%1' is not within the range 0 to 255").arg(shown));
    return static_cast<std::uint8_t>(value);
}

// Fills the record from one line. The first amount too long for its box (stored cut) is handed
// back: cut, it would be another number.
std::optional<OverlongAmount> FillRecord(TaxpayerRecord& record, std::string_view line, char separator) {
    auto next = [&] { return TakeField(line, separator); };
    record.nazwisko = next();
    record.imie1 = next();
    record.pesel = next();
    record.nip = next();
    record.dataUr = next();
    record.us = next();
    record.kraj = next();
    record.wojewodztwo = next();
    record.powiat = next();
    record.gmina = next();
    record.miejsc = next();
    record.ulica = next();
    record.nrDomu = next();
    record.nrLok = next();
    record.kodPoczt = next();
    record.poczta = next();
    record.pit11_33 = ParseFlag(next());
    record.pit11_PITR = ParseFlag(next());
    record.pit40_34 = ParseFlag(next());
    record.pit40_NIP3 = ParseFlag(next());
    record.pit40_PITR = ParseFlag(next());
    std::optional<OverlongAmount> overlong;
    auto amount = [&](auto box, bool pit11, int number) {
        const std::string_view value = next();
        if (value.size() > TaxpayerRecord::P11Amounts::kWidth && !overlong) overlong = OverlongAmount{pit11, number, value};
        box = value;
    };
    for (std::size_t k = 0; k < record.p11.size(); ++k)
        amount(record.p11[k], true, TaxpayerRecord::kFirstP11Box + static_cast<int>(k));
    for (std::size_t k = 0; k < record.p40.size(); ++k)
        amount(record.p40[k], false, TaxpayerRecord::kFirstP40Box + static_cast<int>(k));
    return overlong;
}

// The next line of `text` without its line end; `text` moves past it.
std::string_view NextLine(std::string_view& text) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        const std::string_view line = text;
        text = {};
        return line;
    }
    const std::string_view line = text.substr(0, end);
    const std::size_t ending = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    text.remove_prefix(end + ending);
    return line;
}

}  // namespace

std::string_view TakeField(std::string_view& rest, char separator) {
    const std::size_t at = rest.find(separator);
    if (at == std::string_view::npos) return {};
    const std::string_view value = rest.substr(0, at);
    rest.remove_prefix(at + 1);
    return value;
}

bool ImportDelimitedText(TaxpayerRegister& taxpayers, std::string_view text, char separator) {
    bool added = false;
    TaxpayerRecord record;
    const TaxpayerRegister::Checkpoint before = taxpayers.MakeCheckpoint();
    try {
        for (int lineNumber = 1; !text.empty(); ++lineNumber) {
            const std::string_view line = NextLine(text);
            TaxpayerRegister::ClearRecord(record);
            const std::optional<OverlongAmount> overlong = FillRecord(record, line, separator);
            if (!taxpayers.Add(record)) continue;
            if (overlong)
                throw OverlongAmountError(OverlongAmountMessage(
                    QStringLiteral("Podatnik z wiersza %1").arg(lineNumber), record, *overlong,
                    QStringLiteral("Nie zaimportowano żadnego podatnika z tego pliku.")));
            added = true;
        }
    } catch (const RecordLimitError&) {
        // Nothing of a file too large for the register is kept: the register is as before.
        taxpayers.RollBackTo(before);
        throw;
    } catch (const OverlongAmountError&) {
        // Nor of a file with an amount that would be another number once cut.
        taxpayers.RollBackTo(before);
        throw;
    }
    taxpayers.Resort();
    taxpayers.RemoveDuplicates();
    return added;
}

bool ImportDelimited(TaxpayerRegister& taxpayers, const QString& fileName, char separator) {
    const std::optional<FileBytes> text = ReadWholeFileBytes(fileName);
    if (!text)
        throw FileError(file_error_text::cannotRead(
            fileName, file_error_text::reasonForErrno(ENOENT, QStringLiteral("nie ma takiego pliku"))));
    return ImportDelimitedText(taxpayers, text->view(), separator);
}
