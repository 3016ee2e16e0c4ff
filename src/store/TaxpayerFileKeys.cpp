#include "store/TaxpayerFileKeys.h"

#include <cstdint>
#include <cstring>

namespace taxpayer_file_keys {
namespace {

#define FISKON_TEXT_KEY(field)                                                                 \
    Key{#field, Kind::Text, [](const TaxpayerRecord& r) { return r.field.view(); },            \
        [](TaxpayerRecord& r, std::string_view v) { r.field.assign(v); }, nullptr, 0, false, {}}
#define FISKON_NUMBER_KEY(field) Key{#field, Kind::Number, nullptr, nullptr, &TaxpayerRecord::field, 0, false, {}}

std::vector<Key> makeKeys() {
    std::vector<Key> keys = {
        FISKON_TEXT_KEY(nazwisko), FISKON_TEXT_KEY(imie1),   FISKON_TEXT_KEY(nip),
        FISKON_TEXT_KEY(pesel),    FISKON_TEXT_KEY(dataUr),  FISKON_TEXT_KEY(ulica),
        FISKON_TEXT_KEY(nrDomu),   FISKON_TEXT_KEY(nrLok),   FISKON_TEXT_KEY(miejsc),
        FISKON_TEXT_KEY(kraj),     FISKON_TEXT_KEY(kodPoczt), FISKON_TEXT_KEY(poczta),
        FISKON_TEXT_KEY(gmina),    FISKON_TEXT_KEY(powiat),  FISKON_TEXT_KEY(wojewodztwo),
        FISKON_TEXT_KEY(us),
    };
    for (int box = TaxpayerRecord::kFirstP11Box; box <= TaxpayerRecord::kLastP11Box; ++box)
        keys.push_back(Key{"p11_" + std::to_string(box), Kind::Amount, nullptr, nullptr, nullptr, box, true, {}});
    for (int box = TaxpayerRecord::kFirstP40Box; box <= TaxpayerRecord::kLastP40Box; ++box)
        keys.push_back(Key{"p40_" + std::to_string(box), Kind::Amount, nullptr, nullptr, nullptr, box, false, {}});
    keys.push_back(FISKON_NUMBER_KEY(pit11_33));
    keys.push_back(FISKON_NUMBER_KEY(pit40_34));
    keys.push_back(FISKON_NUMBER_KEY(pit40_NIP3));
    keys.push_back(FISKON_NUMBER_KEY(pit40_PITR));
    keys.push_back(FISKON_NUMBER_KEY(pit11_PITR));
    keys.push_back(FISKON_TEXT_KEY(pit11_od));
    keys.push_back(FISKON_TEXT_KEY(pit11_do));
    keys.push_back(FISKON_TEXT_KEY(email));
    for (Key& key : keys)
        for (const char c : key.name) key.lowerName.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c);
    return keys;
}

#undef FISKON_TEXT_KEY
#undef FISKON_NUMBER_KEY

}  // namespace

const std::vector<Key>& all() {
    static const std::vector<Key> keys = makeKeys();
    return keys;
}

// Every key is ASCII, so a name matches when its ASCII letters fold to the key's; a name with any
// other byte cannot be a key (no letter of code page 1250 folds to an ASCII one). The amount keys,
// most of a file, are recognised without hashing.
namespace {

// A name of up to 16 bytes as two words, zero-padded: two names are equal when their words are.
struct PackedName {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool operator==(const PackedName&) const = default;
};

PackedName pack(const char (&bytes)[16]) {
    PackedName packed;
    std::memcpy(&packed.low, bytes, 8);
    std::memcpy(&packed.high, bytes + 8, 8);
    return packed;
}

constexpr std::size_t kFirstAmount = kFirstAmountKey;
constexpr std::size_t kP11Count = TaxpayerRecord::kLastP11Box - TaxpayerRecord::kFirstP11Box + 1;
static_assert(kAfterAmountKeys == kFirstAmount + kP11Count + TaxpayerRecord::kLastP40Box - TaxpayerRecord::kFirstP40Box + 1);

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The amount key of a name shaped "p11_nn" or "p40_nn" (any case), else nullptr.
const Key* amountKey(std::string_view name, const std::vector<Key>& keys) {
    if (name.size() != 6 || (name[0] != 'p' && name[0] != 'P') || name[3] != '_' || !isDigit(name[4]) ||
        !isDigit(name[5]))
        return nullptr;
    const int box = (name[4] - '0') * 10 + (name[5] - '0');
    if (name[1] == '1' && name[2] == '1' && box >= TaxpayerRecord::kFirstP11Box && box <= TaxpayerRecord::kLastP11Box)
        return &keys[kFirstAmount + static_cast<std::size_t>(box - TaxpayerRecord::kFirstP11Box)];
    if (name[1] == '4' && name[2] == '0' && box >= TaxpayerRecord::kFirstP40Box && box <= TaxpayerRecord::kLastP40Box)
        return &keys[kFirstAmount + kP11Count + static_cast<std::size_t>(box - TaxpayerRecord::kFirstP40Box)];
    return nullptr;
}

struct Candidate {
    PackedName name;
    const Key* key;
};

}  // namespace

// Every key is ASCII, so a name matches when its ASCII letters fold to the key's; a name with any
// other byte cannot be a key (no letter of code page 1250 folds to an ASCII one). The amount keys,
// most of a file, are recognised by their shape; the others are compared, as two words, with the
// few keys of the same length.
const Key* find(std::string_view name) {
    constexpr std::size_t kLongestKey = 16;
    if (name.empty() || name.size() > kLongestKey) return nullptr;
    char folded[kLongestKey] = {};
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80) return nullptr;
        folded[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    if (const Key* amount = amountKey(name, all())) return amount;
    static const std::vector<std::vector<Candidate>> byLength = [] {
        std::vector<std::vector<Candidate>> groups(kLongestKey + 1);
        for (const Key& k : all()) {
            if (k.kind == Kind::Amount) continue;
            char bytes[kLongestKey] = {};
            std::memcpy(bytes, k.lowerName.data(), k.lowerName.size());
            groups[k.lowerName.size()].push_back({pack(bytes), &k});
        }
        return groups;
    }();
    const PackedName packed = pack(folded);
    for (const Candidate& candidate : byLength[name.size()])
        if (candidate.name == packed) return candidate.key;
    return nullptr;
}

// A name that is not the expected key: an amount, or a key out of the file's order.
const Key* KeyMatcher::findOther(std::string_view name) {
    if (const Key* amount = amountKey(name, keys_)) return amount;
    const Key* key = taxpayer_file_keys::find(name);
    if (key && key->kind != Kind::Amount) {
        expected_ = static_cast<std::size_t>(key - keys_.data());
        takeExpected();
    }
    return key;
}

}  // namespace taxpayer_file_keys
