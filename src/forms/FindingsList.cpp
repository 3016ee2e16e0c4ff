#include "forms/FindingsList.h"

#include "store/Cp1250.h"

namespace {

QString Text(std::string_view bytes) { return cp1250::toUnicode(bytes); }

}  // namespace

// A spreadsheet would take a text beginning with "=", "+", "-" or "@" for a formula (a name
// imported from elsewhere could run one): such a text gets an apostrophe.
QString FindingsListField(const QString& value) {
    const bool formula = !value.isEmpty() && QStringLiteral("=+-@").contains(value.front());
    const QString text = formula ? u'\'' + value : value;
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r')) return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString FindingColumnTitle(int index) {
    static const char* const titles[kFindingColumns] = {"Lp.", "Nazwisko", "Imię", "Poz.", "Opis"};
    return index >= 0 && index < kFindingColumns ? QString::fromUtf8(titles[index]) : QString();
}

QString FindingRow::column(int index) const {
    switch (index) {
    case 0: return QString::number(finding.position);
    case 1: return surname;
    case 2: return firstName;
    case 3: return box;
    case 4: return finding.description;
    default: return {};
    }
}

bool FindingRow::less(const FindingRow& a, const FindingRow& b, int column) {
    switch (column) {
    case 0: return a.finding.position < b.finding.position;
    case 3:  // boxes by number; PESEL and findings without a box after them
        if ((a.finding.box > 0) != (b.finding.box > 0)) return a.finding.box > 0;
        if (a.finding.box != b.finding.box) return a.finding.box < b.finding.box;
        return a.box < b.box;
    default: return a.column(column).localeAwareCompare(b.column(column)) < 0;
    }
}

FindingRow MakeFindingRow(RegisterFinding finding, const TaxpayerRegister& taxpayers, const PayerRecord& payer) {
    FindingRow row;
    if (finding.position > 0) {
        const TaxpayerRecord& record = taxpayers.at(finding.position - 1);
        row.surname = Text(record.nazwisko.view());
        row.firstName = Text(record.imie1.view());
    } else if (finding.aboutPayer) {
        row.surname = Text(payer.nazwa.view());
    }
    row.box = finding.box > 0 ? QString::number(finding.box) : finding.key == "pesel" ? QStringLiteral("PESEL") : QString();
    row.finding = std::move(finding);
    return row;
}

std::vector<FindingRow> MakeFindingRows(std::vector<RegisterFinding> findings, const TaxpayerRegister& taxpayers,
                                        const PayerRecord& payer) {
    std::vector<FindingRow> rows;
    rows.reserve(findings.size());
    for (RegisterFinding& finding : findings) rows.push_back(MakeFindingRow(std::move(finding), taxpayers, payer));
    return rows;
}

std::string FindingsListText(const std::vector<FindingRow>& rows) {
    QString text;
    for (int column = 0; column < kFindingColumns; ++column)
        text += (column ? QStringLiteral(";") : QString()) + FindingColumnTitle(column);
    text += QStringLiteral("\r\n");
    for (const FindingRow& row : rows) {
        for (int column = 0; column < kFindingColumns; ++column)
            text += (column ? QStringLiteral(";") : QString()) + FindingsListField(row.column(column));
        text += QStringLiteral("\r\n");
    }
    return cp1250::fromUnicode(text);
}
