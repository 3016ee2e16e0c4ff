#pragma once

#include "import/PlatnikDataAccess.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerRegister.h"

#include <string>
#include <string_view>

// Appends the insured persons of the Płatnik database to the register, attaches their "Z"
// addresses, merges duplicates and re-sorts. A failed login reads nothing (the merge and the sort
// still run). A reading failure throws DatabaseError at once (ReadingCancelled when the user
// stopped it): the records of the tables read before it stay in the register. A database with
// more persons than the register may hold throws RecordLimitError, the register as before.
void ReadInsuredPersons(PlatnikDataAccess& access, TaxpayerRegister& taxpayers);

// Overwrites the payer's identification and address from the database. A table without rows
// leaves the fields it would have set as they were. Throws DatabaseError like ReadInsuredPersons.
void ReadPayerData(PlatnikDataAccess& access, PayerRecord& payer);

// Ten characters grouped 3-3-2-2 with dashes; any other length gives empty text.
std::string FormatNIP(std::string_view text);
// "NN-NNN" from five or more characters (a dash in third place is kept as written); shorter
// text gives empty text.
std::string FormatKodPocztowy(std::string_view text);
