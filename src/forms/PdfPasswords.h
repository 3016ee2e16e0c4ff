#pragma once

#include "store/TaxpayerRecord.h"

#include <QByteArray>
#include <QString>

// The password that opens each taxpayer's own PDF when the files are locked: the taxpayer's PESEL,
// the taxpayer's NIP (digits only) or one password the user gives for all. A password the user
// typed lives only as long as the batch: it is never stored, logged or kept in the settings.
enum class PdfProtection { None, Pesel, Nip, OnePassword };

// Why the taxpayer's own number cannot lock the file ("brak numeru PESEL", "PESEL „…” nie ma
// 11 cyfr z właściwą cyfrą kontrolną", …): a number the register's check refuses (PeselFaultOf,
// NipFaultOf) is refused here too. Empty when it can, and for None and OnePassword.
QString PdfSecretProblem(PdfProtection protection, const TaxpayerRecord& taxpayer);

// The password of the taxpayer's file (UTF-8): the PESEL, the NIP's ten digits, or `onePassword`;
// empty for None. Only for a taxpayer whose PdfSecretProblem is empty.
QByteArray PdfPasswordOf(PdfProtection protection, const TaxpayerRecord& taxpayer, const QByteArray& onePassword);
