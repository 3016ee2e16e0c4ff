#include "forms/PrintBatchReport.h"

#include "store/PolishPlural.h"

namespace {

// The genitive of "dokument" after a count: "1 dokumentu", "2 dokumentów", "5 dokumentów".
const QString& DocumentsGenitive(int count) {
    static const QString one = QStringLiteral("dokumentu");
    static const QString many = QStringLiteral("dokumentów");
    return PolishPlural(count, one, many, many);
}

QString Document(const PrintBatchEnd& end) {
    return end.stoppedName.isEmpty() ? QString::number(end.stoppedAt)
                                     : QStringLiteral("%1 (%2)").arg(end.stoppedAt).arg(end.stoppedName);
}

}  // namespace

QString PrintBatchCaption(int documents) {
    return QStringLiteral("Drukowanie %1 %2..").arg(documents).arg(DocumentsGenitive(documents));
}

QString PrintBatchSummary(const PrintBatchEnd& end) {
    const QString count =
        QStringLiteral("Wydrukowano %1 z %2 %3.").arg(end.printed).arg(end.total).arg(DocumentsGenitive(end.total));
    switch (end.reason) {
    case PrintBatchEnd::Reason::Finished:
        return count;
    case PrintBatchEnd::Reason::StoppedByUser:
        return count + QStringLiteral("\nDrukowanie przerwano na żądanie użytkownika.");
    case PrintBatchEnd::Reason::DialogNotConfirmed:
        return count + QStringLiteral("\nNie potwierdzono okna drukowania programu formularzy.");
    case PrintBatchEnd::Reason::DocumentNotPrinted:
        return count + QStringLiteral("\nProgram formularzy nie wydrukował dokumentu %1, więc drukowanie przerwano.")
                           .arg(Document(end));
    case PrintBatchEnd::Reason::Failed:
        return count + QStringLiteral("\nDrukowanie przerwano przy dokumencie %1: %2").arg(Document(end), end.failure);
    }
    return count;
}
