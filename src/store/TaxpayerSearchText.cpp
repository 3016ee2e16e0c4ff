#include "store/TaxpayerSearchText.h"

#include "store/Cp1250.h"
#include "store/TaxpayerRegister.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// A character as the search compares it: lower case, without its diacritics ("Ź" → "z"); "ł",
// which Unicode does not decompose, becomes "l" too.
QChar searchFolded(QChar ch) {
    QChar folded = ch.toLower();
    if (folded == u'ł') return u'l';
    const QString decomposed = folded.decomposition();
    if (!decomposed.isEmpty() && folded.decompositionTag() == QChar::Canonical) folded = decomposed.front();
    return folded;
}

// The same folding for every byte of code page 1250, worked out once.
const std::array<char, 256>& byteFolding() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> bytes{};
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            bool lossless = false;
            const std::string folded = FoldForSearch(cp1250::toUnicode(std::string_view(&byte, 1)), &lossless);
            bytes[static_cast<std::size_t>(b)] = lossless && folded.size() == 1 ? folded.front() : byte;
        }
        return bytes;
    }();
    return table;
}

// Ends each field in the texts: no folded text the user types holds it.
constexpr char kFieldEnd = '\0';

void appendFolded(std::string& text, std::string_view field, bool withoutSeparators) {
    const std::array<char, 256>& fold = byteFolding();
    for (const char byte : field) {
        if (withoutSeparators && (byte == '-' || byte == ' ')) continue;
        if (byte != kFieldEnd) text.push_back(fold[static_cast<unsigned char>(byte)]);
    }
    text.push_back(kFieldEnd);
}

}  // namespace

std::string FoldForSearch(QStringView text, bool* lossless) {
    QString folded;
    folded.reserve(text.size());
    for (const QChar ch : text) folded.append(searchFolded(ch));
    return cp1250::fromUnicode(folded, '?', lossless);
}

void TaxpayerSearchText::build(const TaxpayerRegister& taxpayers) {
    names_.clear();
    nameStarts_.clear();
    nips_.clear();
    nipStarts_.clear();
    const auto count = static_cast<std::size_t>(taxpayers.count());
    nameStarts_.reserve(count);
    nipStarts_.reserve(count);
    names_.reserve(count * 32);  // about what a surname, a first name and a PESEL take
    nips_.reserve(count * 11);
    for (int position = 0; position < taxpayers.count(); ++position) append(taxpayers.at(position));
    builtFrom_ = &taxpayers;
    builtRevision_ = taxpayers.revision();
}

void TaxpayerSearchText::append(const TaxpayerRecord& record) {
    nameStarts_.push_back(static_cast<std::uint32_t>(names_.size()));
    appendFolded(names_, record.nazwisko.view(), false);
    appendFolded(names_, record.imie1.view(), false);
    appendFolded(names_, record.pesel.view(), false);
    nipStarts_.push_back(static_cast<std::uint32_t>(nips_.size()));
    appendFolded(nips_, record.nip.view(), true);
    builtFrom_ = nullptr;
}

bool TaxpayerSearchText::follows(const TaxpayerRegister& taxpayers) const {
    return builtFrom_ == &taxpayers && builtRevision_ == taxpayers.revision() &&
           nameStarts_.size() == static_cast<std::size_t>(taxpayers.count());
}

void TaxpayerSearchText::mark(const std::string& text, const std::vector<std::uint32_t>& starts,
                              std::string_view needle) const {
    if (needle.empty() || needle.find(kFieldEnd) != std::string_view::npos) return;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const char* from = begin;
    while (from < end) {
        const void* hit = memmem(from, static_cast<std::size_t>(end - from), needle.data(), needle.size());
        if (!hit) return;
        const auto offset = static_cast<std::uint32_t>(static_cast<const char*>(hit) - begin);
        const auto next = std::upper_bound(starts.begin(), starts.end(), offset);
        found_[static_cast<std::size_t>(next - starts.begin() - 1)] = 1;
        from = next == starts.end() ? end : begin + *next;  // on with the next record
    }
}

void TaxpayerSearchText::find(std::string_view names, std::string_view nip, std::vector<int>& positions) const {
    positions.clear();
    found_.assign(nameStarts_.size(), 0);
    mark(names_, nameStarts_, names);
    mark(nips_, nipStarts_, nip);
    for (std::size_t position = 0; position < found_.size(); ++position)
        if (found_[position]) positions.push_back(static_cast<int>(position));
}
