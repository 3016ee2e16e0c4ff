#include "forms/FindingKind.h"

QString FindingKindDescription(FindingKind kind) {
    switch (kind) {
    case FindingKind::Capitals: return QStringLiteral("formularz wypełnia się dużymi literami");
    case FindingKind::Period: return QStringLiteral("nieprawidłowy okres PIT-11/8B");
    case FindingKind::Calculation: return QStringLiteral("kwota niezgodna z wyliczeniem");
    case FindingKind::CalculationFailed: return QStringLiteral("nie można wyliczyć kwoty");
    case FindingKind::Required: return QStringLiteral("nie wypełniono wymaganego pola");
    case FindingKind::Nip: return QStringLiteral("nieprawidłowy NIP");
    case FindingKind::PostalCode: return QStringLiteral("nieprawidłowy kod pocztowy");
    case FindingKind::BirthDate: return QStringLiteral("nieprawidłowa data urodzenia");
    case FindingKind::TaxYear: return QStringLiteral("nieprawidłowy rok podatkowy");
    case FindingKind::NotAmount: return QStringLiteral("wpisana wartość nie jest kwotą");
    case FindingKind::NegativeAmount: return QStringLiteral("kwota ujemna");
    case FindingKind::Choice: return QStringLiteral("nieprawidłowe oznaczenie wyboru");
    case FindingKind::Titles: return QStringLiteral("skreślenie tytułu formularza");
    case FindingKind::HealthContribution: return QStringLiteral("odliczona składka zdrowotna za wysoka");
    case FindingKind::Pesel: return QStringLiteral("nieprawidłowy numer PESEL");
    case FindingKind::BirthDateAgainstPesel: return QStringLiteral("data urodzenia niezgodna z numerem PESEL");
    case FindingKind::SharedNip: return QStringLiteral("ten sam NIP u innego podatnika");
    case FindingKind::SharedPesel: return QStringLiteral("ten sam numer PESEL u innego podatnika");
    case FindingKind::StruckPit11Wages: return QStringLiteral("skreślono PIT-11 przy wynagrodzeniu ze stosunku pracy");
    case FindingKind::Unfit: return QStringLiteral("wartość nie mieści się w polu formularza");
    }
    return {};
}
