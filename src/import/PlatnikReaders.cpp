#include "import/PlatnikReaders.h"

#include <array>
#include <string>
#include <vector>

namespace {

// Opens a table and calls `readRow` for every row, positioned on it, with the positions of the
// named columns (looked up once per table, by name: the database may hold others in between).
template <std::size_t N, typename ReadRow>
void ReadTable(PlatnikTable& table, std::string_view name, const std::array<const char*, N>& columns,
               ReadRow&& readRow) {
    table.Close();
    table.SetTableName(name);
    table.SetFieldNames({columns.begin(), columns.end()});
    table.Open();
    std::array<std::size_t, N> at{};
    for (std::size_t i = 0; i < N; ++i) at[i] = table.FieldIndex(columns[i]);
    const std::size_t rows = table.RecordCount();
    for (std::size_t row = 1; row <= rows; ++row) {
        table.MoveTo(row);
        readRow(at);
    }
}

void ReadZuszua(PlatnikTable& table, TaxpayerRegister& taxpayers) {
    static constexpr std::array<const char*, 12> kColumns = {
        "ID_UBEZPIECZONY", "III_1_PESEL",       "III_2_NIP",         "III_5_NAZWISKO",
        "III_6_IMIEPIERW", "III_7_DATAURODZ",   "XII_1_KODPOCZTOWY", "XII_2_MIEJSCOWOSC",
        "XII_3_GMINA",     "XII_4_ULICA",       "XII_5_NUMERDOMU",   "XII_6_NUMERLOKALU"};
    TaxpayerRecord record;
    ReadTable(table, "ZUSZUA", kColumns, [&](const auto& at) {
        TaxpayerRegister::ClearRecord(record);
        record.id = table.AsInteger(at[0]);
        record.pesel = table.AsText(at[1]);
        record.nip = FormatNIP(table.AsText(at[2]));
        record.nazwisko = table.AsText(at[3]);
        record.imie1 = table.AsText(at[4]);
        record.dataUr = table.AsText(at[5]);
        record.kodPoczt = FormatKodPocztowy(table.AsText(at[6]));
        record.miejsc = table.AsText(at[7]);
        record.gmina = table.AsText(at[8]);
        record.ulica = table.AsText(at[9]);
        record.nrDomu = table.AsText(at[10]);
        record.nrLok = table.AsText(at[11]);
        taxpayers.Add(record);
    });
}

void ReadUbezpIdent(PlatnikTable& table, TaxpayerRegister& taxpayers) {
    static constexpr std::array<const char*, 6> kColumns = {"ID_UBEZPIECZONY", "NAZWISKO", "IMIEPIERW",
                                                            "DATAURODZ",       "NIP",      "PESEL"};
    TaxpayerRecord record;
    ReadTable(table, "UBEZP_IDENT", kColumns, [&](const auto& at) {
        TaxpayerRegister::ClearRecord(record);
        record.id = table.AsInteger(at[0]);
        record.nazwisko = table.AsText(at[1]);
        record.imie1 = table.AsText(at[2]);
        record.dataUr = table.AsText(at[3]);
        record.nip = FormatNIP(table.AsText(at[4]));
        record.pesel = table.AsText(at[5]);
        taxpayers.Add(record);
    });
}

void ReadUbezpAdres(PlatnikTable& table, TaxpayerRegister& taxpayers) {
    static constexpr std::array<const char*, 8> kColumns = {
        "TYP_ADRESU", "ID_UBEZPIECZONY", "MIEJSCOWOSC", "KODPOCZTOWY",
        "GMINA",      "ULICA",           "NUMERDOMU",   "NUMERLOKALU"};
    ReadTable(table, "UBEZP_ADRES", kColumns, [&](const auto& at) {
        if (table.AsText(at[0]) != "Z") return;
        if (!taxpayers.SelectById(table.AsInteger(at[1]))) return;
        TaxpayerRecord& record = *taxpayers.current();
        record.miejsc = table.AsText(at[2]);
        record.kodPoczt = FormatKodPocztowy(table.AsText(at[3]));
        record.gmina = table.AsText(at[4]);
        record.ulica = table.AsText(at[5]);
        record.nrDomu = table.AsText(at[6]);
        record.nrLok = table.AsText(at[7]);
    });
}

// Opens a table, with the columns that will be read, on its first row; false when the table has
// no rows.
bool OpenOnFirstRow(PlatnikTable& table, std::string_view name, std::vector<std::string> columns) {
    table.Close();
    table.SetTableName(name);
    table.SetFieldNames(std::move(columns));
    table.Open();
    if (table.RecordCount() == 0) return false;
    table.MoveTo(1);
    return true;
}

void ReadPayerIdentity(PlatnikTable& table, PayerRecord& payer) {
    if (!OpenOnFirstRow(table, "PLATN_IDENT",
                        {"NIP", "REGON", "TYP_PLATNIKA", "NAZWISKO", "IMIEPIERW", "DATAURODZ", "NAZWAFIRMA"}))
        return;
    payer.NIP = FormatNIP(table.AsText("NIP"));
    payer.regon = table.AsText("REGON");
    const std::string_view kind = table.AsText("TYP_PLATNIKA");
    if (kind == "F") {
        std::string name(table.AsText("NAZWISKO"));
        name += ' ';
        name += table.AsText("IMIEPIERW");
        name += ' ';
        name += table.AsText("DATAURODZ");
        payer.nazwa = name;
        payer.rodzaj = 2;
    } else if (kind == "P") {
        payer.nazwa = table.AsText("NAZWAFIRMA");
        payer.rodzaj = 1;
    }
}

void ReadPayerAddress(PlatnikTable& table, PayerRecord& payer) {
    if (!OpenOnFirstRow(table, "PLATN_ADRES",
                        {"WOJEWODZTWO", "GMINA", "ULICA", "NUMERDOMU", "NUMERLOKALU", "MIEJSCOWOSC", "KODPOCZTOWY"}))
        return;
    payer.wojewodztwo = table.AsText("WOJEWODZTWO");
    payer.gmina = table.AsText("GMINA");
    payer.ulica = table.AsText("ULICA");
    payer.nrDomu = table.AsText("NUMERDOMU");
    payer.nrLok = table.AsText("NUMERLOKALU");
    payer.miejscowosc = table.AsText("MIEJSCOWOSC");
    payer.kodPoczt = FormatKodPocztowy(table.AsText("KODPOCZTOWY"));
}

}  // namespace

std::string FormatNIP(std::string_view text) {
    if (text.size() != 10) return {};
    std::string nip;
    nip.reserve(13);
    nip.append(text.substr(0, 3)).append("-").append(text.substr(3, 3)).append("-");
    nip.append(text.substr(6, 2)).append("-").append(text.substr(8, 2));
    return nip;
}

std::string FormatKodPocztowy(std::string_view text) {
    if (text.size() < 5) return {};
    if (text[2] == '-') return std::string(text);
    std::string code(text.substr(0, 2));
    code += '-';
    code.append(text.substr(2, 3));
    return code;
}

void ReadInsuredPersons(PlatnikDataAccess& access, TaxpayerRegister& taxpayers) {
    PlatnikTable& table = access.ADOTable();
    table.Close();
    if (access.OpenDatabase()) {
        const TaxpayerRegister::Checkpoint before = taxpayers.MakeCheckpoint();
        try {
            ReadZuszua(table, taxpayers);
            ReadUbezpIdent(table, taxpayers);
            ReadUbezpAdres(table, taxpayers);  // a table beyond the bounds fails before its first row
        } catch (const RecordLimitError&) {
            // A database with more persons than the register takes adds none of them.
            table.Close();
            taxpayers.RollBackTo(before);
            throw;
        }
        table.Close();
    }
    taxpayers.RemoveDuplicates();
    taxpayers.Resort();
}

void ReadPayerData(PlatnikDataAccess& access, PayerRecord& payer) {
    PlatnikTable& table = access.ADOTable();
    table.Close();
    if (!access.OpenDatabase()) return;
    ReadPayerIdentity(table, payer);
    ReadPayerAddress(table, payer);
    table.Close();
}
