#include "store/OverlongAmount.h"

#include "store/Cp1250.h"
#include "store/PolishPlural.h"

namespace {

QString text(std::string_view bytes) { return cp1250::toUnicode(bytes); }

}  // namespace

std::string OverlongAmount::key() const {
    return (pit11 ? "p11_" : "p40_") + std::to_string(box);
}

QString OverlongAmountMessage(const QString& taxpayer, const TaxpayerRecord& record, const OverlongAmount& amount,
                              const QString& outcome) {
    constexpr std::size_t kShownAtMost = 40;
    QString shown = text(amount.value.substr(0, kShownAtMost));
    if (amount.value.size() > kShownAtMost) shown += QChar(0x2026);  // …
    const auto length = static_cast<long long>(amount.value.size());
    constexpr auto width = static_cast<long long>(TaxpayerRecord::P11Amounts::kWidth);
    // One call for all the pieces: a "%" in a name or value is never read as a place of its own.
    return QStringLiteral("%1 (%2 %3): kwota %4 „%5” ma %6 %7, a pole kwoty mieści najwyżej %8 – po obcięciu "
                          "byłaby inną kwotą. %9")
        .arg(taxpayer, text(record.nazwisko.view()), text(record.imie1.view()), QString::fromStdString(amount.key()),
             shown, QString::number(length),
             PolishPlural(length, QStringLiteral("znak"), QStringLiteral("znaki"), QStringLiteral("znaków")),
             QString::number(width), outcome);
}
