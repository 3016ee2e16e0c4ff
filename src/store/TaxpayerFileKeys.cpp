#include "store/TaxpayerFileKeys.h"


#include <unordered_map>

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
const Key* find(std::string_view name) {
    constexpr std::size_t kLongestKey = 16;
    if (name.empty() || name.size() > kLongestKey) return nullptr;
    char folded[kLongestKey];
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80) return nullptr;
        folded[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    const std::string_view key(folded, name.size());
    const std::vector<Key>& keys = all();
    if (key.size() == 6 && key[0] == 'p' && key[3] == '_' && key[4] >= '0' && key[4] <= '9' && key[5] >= '0' &&
        key[5] <= '9') {
        const int box = (key[4] - '0') * 10 + (key[5] - '0');
        constexpr std::size_t kFirstAmount = 16;
        constexpr std::size_t kP11Count = TaxpayerRecord::kLastP11Box - TaxpayerRecord::kFirstP11Box + 1;
        if (key.substr(1, 2) == "11" && box >= TaxpayerRecord::kFirstP11Box && box <= TaxpayerRecord::kLastP11Box)
            return &keys[kFirstAmount + static_cast<std::size_t>(box - TaxpayerRecord::kFirstP11Box)];
        if (key.substr(1, 2) == "40" && box >= TaxpayerRecord::kFirstP40Box && box <= TaxpayerRecord::kLastP40Box)
            return &keys[kFirstAmount + kP11Count + static_cast<std::size_t>(box - TaxpayerRecord::kFirstP40Box)];
        return nullptr;
    }
    static const std::unordered_map<std::string_view, const Key*> byName = [] {
        std::unordered_map<std::string_view, const Key*> map;
        for (const Key& k : all())
            if (k.kind != Kind::Amount) map.emplace(k.lowerName, &k);
        return map;
    }();
    const auto it = byName.find(key);
    return it == byName.end() ? nullptr : it->second;
}

}  // namespace taxpayer_file_keys
