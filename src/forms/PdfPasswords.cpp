#include "forms/PdfPasswords.h"

#include "forms/FormValidation.h"
#include "forms/PeselNumber.h"
#include "store/Cp1250.h"

namespace {

QByteArray digitsOf(std::string_view text) {
    QByteArray digits;
    for (const char c : text)
        if (c >= '0' && c <= '9') digits += c;
    return digits;
}

QString trimmedText(std::string_view bytes) { return cp1250::toUnicode(bytes).trimmed(); }

}  // namespace

QString PdfSecretProblem(PdfProtection protection, const TaxpayerRecord& taxpayer) {
    // The numbers the register's check refuses are refused here by the same rules: a file is
    // not locked with a number that is no PESEL or NIP at all.
    if (protection == PdfProtection::Pesel) {
        const QString pesel = trimmedText(taxpayer.pesel.view());
        if (pesel.isEmpty()) return QStringLiteral("brak numeru PESEL");
        switch (PeselFaultOf(taxpayer.pesel.view())) {
        case PeselFault::NoBirthDate:
            return QStringLiteral("PESEL „%1” nie ma 11 cyfr z możliwą datą urodzenia na początku").arg(pesel);
        case PeselFault::CheckDigit:
            return QStringLiteral("PESEL „%1” nie ma 11 cyfr z właściwą cyfrą kontrolną").arg(pesel);
        case PeselFault::None: break;
        }
    } else if (protection == PdfProtection::Nip) {
        const QString nip = trimmedText(taxpayer.nip.view());
        if (nip.isEmpty()) return QStringLiteral("brak numeru NIP");
        switch (NipFaultOf(nip)) {
        case NipFault::Zeros: return QStringLiteral("NIP „%1” składa się z samych zer").arg(nip);
        case NipFault::NotTenDigits:
        case NipFault::CheckDigit:
            return QStringLiteral("NIP „%1” nie ma 10 cyfr z właściwą cyfrą kontrolną").arg(nip);
        case NipFault::None: break;
        }
    }
    return {};
}

QByteArray PdfPasswordOf(PdfProtection protection, const TaxpayerRecord& taxpayer, const QByteArray& onePassword) {
    switch (protection) {
    case PdfProtection::Pesel: return digitsOf(taxpayer.pesel.view());
    case PdfProtection::Nip: return digitsOf(taxpayer.nip.view());
    case PdfProtection::OnePassword: return onePassword;
    case PdfProtection::None: break;
    }
    return {};
}
