#pragma once

#include <QString>

// What a finding of a form's check is about, so that the check's window can count, show and mend
// the findings of one kind together. The values stay as they are (a new kind takes a new one).
enum class FindingKind {
    Capitals = 1,           // a name or an address not in capital letters
    Period = 2,             // the PIT-11/8B period: a date unreadable or outside the form's year, or the dates reversed
    Calculation = 3,        // a computed box that disagrees with its formula
    CalculationFailed = 4,  // a formula that cannot be worked out
    Required = 5,           // a required box left empty
    Nip = 6,                // a NIP that is not ten digits, all zeros or with a wrong check digit
    PostalCode = 7,
    BirthDate = 8,          // a birth date that is not a date
    TaxYear = 9,            // a PIT-40 tax year not of four digits or not the form's year
    NotAmount = 10,
    NegativeAmount = 11,
    Choice = 12,            // a coded choice the form does not know
    Titles = 13,            // both titles struck out, or neither
    HealthContribution = 14,
    Pesel = 15,             // a PESEL number that cannot be right
    BirthDateAgainstPesel = 16,
    SharedNip = 17,         // a NIP that another taxpayer has too
    SharedPesel = 18,
    StruckPit11Wages = 19,  // PIT-11 struck out while the form shows wages from employment
    Unfit = 20,             // a value the printed form cannot show whole
};

inline constexpr FindingKind kFindingKinds[] = {
    FindingKind::Capitals,   FindingKind::Period,         FindingKind::Calculation,      FindingKind::CalculationFailed,
    FindingKind::Required,   FindingKind::Nip,            FindingKind::PostalCode,       FindingKind::BirthDate,
    FindingKind::TaxYear,    FindingKind::NotAmount,      FindingKind::NegativeAmount,   FindingKind::Choice,
    FindingKind::Titles,     FindingKind::HealthContribution, FindingKind::Pesel,        FindingKind::BirthDateAgainstPesel,
    FindingKind::SharedNip,  FindingKind::SharedPesel,    FindingKind::StruckPit11Wages, FindingKind::Unfit,
};

// The kind in a few Polish words, as the check's window lists it ("formularz wypełnia się dużymi
// literami").
QString FindingKindDescription(FindingKind kind);
