#pragma once

#include <QByteArray>
#include <QString>

// The fixed texts of the official templates ("wzory"), edition by edition: everything printed on a
// form that is neither a box of the field list nor one of its captions. They all stand in one table
// (FormTemplateTexts.cpp), so that a correction of a wording is one line there.

enum class TemplateText {
    EditionMark,      // "PIT-40(14)": the head (top left) and every page's footer
    Banner,           // "POLA JASNE WYPEŁNIA PŁATNIK, POLA CIEMNE WYPEŁNIA URZĄD SKARBOWY."
    Instruction,      // "WYPEŁNIĆ NA MASZYNIE, KOMPUTEROWO LUB RĘCZNIE, …"
    DocumentNumber,   // box 2, for the office
    Status,           // box 3, for the office
    FirstTitle,       // the full title of the form (PIT-11/8B: the PIT-11 one)
    SecondTitle,      // PIT-11/8B: the PIT-8B title; empty when the form has one title
    TitleNote,        // a line under the titles; may be empty
    LegalBasis,       // "Podstawa prawna:" and the rest of the block
    Submitter,        // "Składający:"
    Deadline,         // "Termin składania:"
    Place,            // "Miejsce składania:"
    FillDate,         // the numbered box for the date of filling
    Signature,        // the numbered box for the signature
    PayerWarning,     // the payer's warning under the signature; may be empty
    OfficeSection,    // the heading of the office's section
    OfficeRemarks,    // its boxes
    OfficeOfficer,
    OfficeSignature,
};

// The text of an edition ("PIT40_14"); empty when the table has none for it.
QString TemplateTextOf(const QByteArray& symbol, TemplateText text);
