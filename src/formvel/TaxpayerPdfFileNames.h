#pragma once

#include "store/TaxpayerRegister.h"

#include <QStringList>

// The names of the taxpayers' own PDF files: "NOWAK_ANNA.pdf", the surname and first name as
// stored (UTF-8, Polish letters kept; what a file name cannot hold, separators, blanks and control
// characters among them, made "_"). Namesakes (names equal but for letter case) are told apart by
// the birth date as stored, "NOWAK_ANNA_1980-05-17.pdf"; those born the same day by the PESEL,
// "NOWAK_ANNA_1980-05-17_80051712345.pdf"; and records alike in all three by a number, "…_2.pdf",
// given in the order of the records' contents. So a person's file keeps its name whatever the
// register's order, and whichever of its records a batch takes.
//
// One name for each record of `taxpayers`, in its order; no two alike, letter case aside.
QStringList TaxpayerPdfFileNames(const TaxpayerRegister& taxpayers);
