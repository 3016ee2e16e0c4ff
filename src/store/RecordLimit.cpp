#include "store/RecordLimit.h"

#include "store/PolishPlural.h"

namespace {

// 1000000 as "1 000 000", the Polish way of grouping digits.
QString GroupedDigits(int number) {
    QString digits = QString::number(number);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, QChar(0x00A0));
    return digits;
}

}  // namespace

QString RecordLimitMessage(int limit) {
    static const QString one = QStringLiteral("rekord"), few = QStringLiteral("rekordy"), many = QStringLiteral("rekordów");
    return QStringLiteral("Rejestr podatników może pomieścić najwyżej %1 %2, a wskazane dane "
                          "przekraczają tę liczbę. Odczyt przerwano: nie dodano żadnego z odczytanych "
                          "rekordów, a dane, które były w programie, pozostały bez zmian.")
        .arg(GroupedDigits(limit), PolishPlural(limit, one, few, many));
}
