#include "forms/FindingControls.h"

#include <array>

namespace {

// The address fields in the order of the forms' address boxes (kraj … poczta).
const std::array<const char*, 10> kAddressControls = {"eKraj",   "eWoj",      "ePowiat",      "eGmina",       "eUlica",
                                                      "eNrDomu", "eNrLokalu", "eMiejscowosc", "eKodPocztowy", "ePoczta"};

struct BoxControl {
    int box;
    const char* name;
};

// Where each form's boxes sit: the first box of the payer's and of the taxpayer's address, the
// amount boxes' prefix and range, and the other boxes one by one.
struct FormControls {
    int payerAddress;
    int taxpayerAddress;
    char amountPrefix;
    int firstAmount;
    int lastAmount;
    std::array<BoxControl, 8> taxpayer;
    std::array<BoxControl, 3> payer;
    std::array<BoxControl, 3> choices;
};

const FormControls kPit11 = {
    9, 23, 'e', 34, 78,
    {{{4, "eOd"}, {5, "eDo"}, {6, "eUS"}, {19, "eNIP"}, {20, "eNazwisko"}, {21, "eImie"}, {22, "eDataUr"},
      {33, "RB1"}}},
    {{{1, "eNIP"}, {7, "RB1"}, {8, "eNazwa"}}},
    {{{80, "eImie"}, {81, "eNazwisko"}, {0, "rgSkreslenie"}}},
};

const FormControls kPit40 = {
    8, 22, 'f', 35, 76,
    {{{5, "eUS"}, {18, "eNIP"}, {19, "eNazwisko"}, {20, "eImie"}, {21, "eDataUr"}, {32, "cbNIP3"}, {33, "cbPITR"},
      {34, "RB_1"}}},
    {{{1, "eNIP"}, {6, "RB1"}, {7, "eNazwa"}}},
    {{{77, "eImie"}, {78, "eNazwisko"}, {4, "eRok"}}},
};

template <std::size_t N>
const char* Find(const std::array<BoxControl, N>& table, int box) {
    for (const BoxControl& entry : table)
        if (entry.box == box) return entry.name;
    return nullptr;
}

const char* AddressControl(int firstBox, int box) {
    const int offset = box - firstBox;
    return offset >= 0 && offset < static_cast<int>(kAddressControls.size()) ? kAddressControls[static_cast<std::size_t>(offset)]
                                                                             : nullptr;
}

}  // namespace

FindingControl ControlForFinding(FormKind kind, const RegisterFinding& finding) {
    if (kind == FormKind::None) return {};
    const FormControls& form = kind == FormKind::Pit11 ? kPit11 : kPit40;
    if (finding.key == "pesel") return {FindingWindow::Taxpayer, QStringLiteral("ePESEL")};
    if (finding.key.startsWith("pSKR")) return {FindingWindow::Choices, QStringLiteral("rgSkreslenie")};
    const int box = finding.box;
    if (finding.position == 0) {
        if (const char* name = Find(form.choices, box)) return {FindingWindow::Choices, QString::fromLatin1(name)};
        const char* name = Find(form.payer, box);
        if (!name) name = AddressControl(form.payerAddress, box);
        return name ? FindingControl{FindingWindow::Payer, QString::fromLatin1(name)} : FindingControl{};
    }
    if (box >= form.firstAmount && box <= form.lastAmount)
        return {FindingWindow::Taxpayer, QLatin1Char(form.amountPrefix) + QString::number(box)};
    const char* name = Find(form.taxpayer, box);
    if (!name) name = AddressControl(form.taxpayerAddress, box);
    if (!name && kind == FormKind::Pit11 && box == 79) name = "rbP11R1";
    return name ? FindingControl{FindingWindow::Taxpayer, QString::fromLatin1(name)} : FindingControl{};
}
