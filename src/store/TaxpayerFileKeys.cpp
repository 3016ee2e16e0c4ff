#include "store/TaxpayerFileKeys.h"

#include "store/IniDocument.h"

#include <unordered_map>

namespace taxpayer_file_keys {
namespace {

#define FISKON_TEXT_KEY(field)                                                                 \
    Key{#field, Kind::Text, [](const TaxpayerRecord& r) { return r.field.view(); },            \
        [](TaxpayerRecord& r, std::string_view v) { r.field.assign(v); }, nullptr, 0, false}
#define FISKON_NUMBER_KEY(field) Key{#field, Kind::Number, nullptr, nullptr, &TaxpayerRecord::field, 0, false}

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
        keys.push_back(Key{"p11_" + std::to_string(box), Kind::Amount, nullptr, nullptr, nullptr, box, true});
    for (int box = TaxpayerRecord::kFirstP40Box; box <= TaxpayerRecord::kLastP40Box; ++box)
        keys.push_back(Key{"p40_" + std::to_string(box), Kind::Amount, nullptr, nullptr, nullptr, box, false});
    keys.push_back(FISKON_NUMBER_KEY(pit11_33));
    keys.push_back(FISKON_NUMBER_KEY(pit40_34));
    keys.push_back(FISKON_NUMBER_KEY(pit40_NIP3));
    keys.push_back(FISKON_NUMBER_KEY(pit40_PITR));
    keys.push_back(FISKON_NUMBER_KEY(pit11_PITR));
    keys.push_back(FISKON_TEXT_KEY(pit11_od));
    keys.push_back(FISKON_TEXT_KEY(pit11_do));
    return keys;
}

#undef FISKON_TEXT_KEY
#undef FISKON_NUMBER_KEY

}  // namespace

const std::vector<Key>& all() {
    static const std::vector<Key> keys = makeKeys();
    return keys;
}

const Key* find(std::string_view name) {
    static const std::unordered_map<std::string, const Key*> byName = [] {
        std::unordered_map<std::string, const Key*> map;
        for (const Key& key : all()) map.emplace(IniDocument::foldName(key.name), &key);
        return map;
    }();
    const auto it = byName.find(IniDocument::foldName(name));
    return it == byName.end() ? nullptr : it->second;
}

}  // namespace taxpayer_file_keys
