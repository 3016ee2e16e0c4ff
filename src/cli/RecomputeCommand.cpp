// fiskon-cli recompute IN OUT [--sort nazwisko|imie|pesel]: opens a taxpayer data file as the main
// window's Open does, recomputes every record's amounts as a page change of the edit form does
// (the PIT-40 page, then the PIT-11/8B page, no box normalised) and writes the file as Save as does.
// An amount that stops the recomputation is named with its record, taxpayer, form and box, every
// one of the register before the command gives up (no file is written then).
// Every negative amount the records then hold, which the forms' check refuses ("kwota nie może
// być ujemna"), is named on standard error; the file is written all the same.
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

#include "edit/AmountCalculations.h"
#include "edit/UnreadableAmounts.h"
#include "forms/AmountDisplay.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/Workspace.h"

#include <QTextStream>

namespace {

// A line naming each negative amount of the record, its form and box.
void NoteNegativeAmounts(const TaxpayerRecord& record, int position, QStringList& notes) {
    const auto report = [&](const char* form, int box, std::string_view text) {
        if (text.empty()) return;
        const QString amount = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        const std::optional<double> value = ReadShownAmount(amount);
        if (!value || *value >= 0) return;
        notes << QStringLiteral("Rekord nr %1 (%2 %3), %4 poz. %5: kwota %6 jest ujemna – sprawdzenie formularza jej nie przyjmie.")
                   .arg(position)
                   .arg(cp1250::toUnicode(record.nazwisko.view()), cp1250::toUnicode(record.imie1.view()),
                        QString::fromLatin1(form))
                   .arg(box)
                   .arg(amount);
    };
    for (int box = TaxpayerRecord::kFirstP11Box; box <= TaxpayerRecord::kLastP11Box; ++box)
        report("PIT-11/8B", box, record.p11Box(box).view());
    for (int box = TaxpayerRecord::kFirstP40Box; box <= TaxpayerRecord::kLastP40Box; ++box)
        report("PIT-40", box, record.p40Box(box).view());
}

}  // namespace

int RunRecomputeCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err) {
    const InOutArguments parsed = ParseInOutArguments(arguments, QStringLiteral("recompute"));

    Workspace workspace;
    workspace.taxpayers.Sort(parsed.sortKey);  // the key the opened file is sorted by
    if (!OpenTaxpayersForCommand(workspace.taxpayers, parsed.input, err)) return kExitFailure;
    QStringList notes;  // printed once the whole register is recomputed
    QStringList refusals;  // every amount that stops the recomputation, in register order
    for (int i = 0; i < workspace.taxpayers.count(); ++i) {
        TaxpayerRecord& record = workspace.taxpayers.at(i);
        try {
            RecomputeRecord(record);
        } catch (const ConversionError& error) {
            // "Rekord nr 2: „12,3x” nie jest prawidłową wartością liczbową. (Nowak Jan, PIT-40 poz. 35)"
            const QString name =
                cp1250::toUnicode(record.nazwisko.view()) + u' ' + cp1250::toUnicode(record.imie1.view());
            const std::vector<UnreadableAmount> unreadable = UnreadableAmounts(record);
            for (const UnreadableAmount& amount : unreadable)
                refusals << QStringLiteral("Rekord nr %1: %2 (%3, %4 poz. %5)")
                                .arg(i + 1)
                                .arg(amount.reason, name, amount.form)
                                .arg(amount.box);
            if (unreadable.empty())
                refusals << QStringLiteral("Rekord nr %1: %2 (%3)").arg(i + 1).arg(error.message(), name);
            continue;
        }
        NoteNegativeAmounts(record, i + 1, notes);
    }
    if (!refusals.isEmpty()) {
        for (const QString& refusal : refusals) err << refusal << '\n';
        err << QStringLiteral("Nie zapisano pliku.") << '\n';
        return kExitFailure;
    }
    for (const QString& note : notes) err << note << '\n';
    return SaveTaxpayersForCommand(workspace, parsed.output, err);
}
