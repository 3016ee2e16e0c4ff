#include "signing/CertificateDatabase.h"

#include "signing/NssSupport.h"
#include "signing/SigningError.h"

#include <certdb.h>
#include <nss.h>
#include <p12.h>
#include <p12plcy.h>
#include <pk11pub.h>
#include <prerror.h>
#include <secerr.h>
#include <ssl.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

struct DatabaseState {
    std::mutex mutex;
    QString folder;                      // empty: none open
    std::vector<PK11SlotInfo*> loggedIn;  // referenced; logged out at the end
};

DatabaseState& state() {
    static DatabaseState* const shared = new DatabaseState;  // outlives every static destructor
    return *shared;
}

QDateTime fromPrTime(PRTime time) { return QDateTime::fromMSecsSinceEpoch(time / 1000, Qt::UTC); }

QString commonName(const CERTName* name) {
    char* text = CERT_GetCommonName(name);
    if (!text) return {};
    const QString result = QString::fromUtf8(text);
    PORT_Free(text);
    return result;
}

QString day(const QDateTime& time) { return time.toUTC().date().toString(QStringLiteral("yyyy-MM-dd")); }

// The PKCS#12 password as the format takes it: UCS-2, big-endian, with a closing zero.
SECItem* pkcs12Password(const QByteArray& utf8) {
    const QString text = QString::fromUtf8(utf8);
    SECItem* item = SECITEM_AllocItem(nullptr, nullptr, static_cast<unsigned>(2 * text.size() + 2));
    if (!item) return nullptr;
    unsigned at = 0;
    for (const QChar c : text) {
        item->data[at++] = static_cast<unsigned char>(c.unicode() >> 8);
        item->data[at++] = static_cast<unsigned char>(c.unicode() & 0xFF);
    }
    item->data[at++] = 0;
    item->data[at] = 0;
    return item;
}

void clear(QByteArray& secret) {
    if (!secret.isEmpty()) std::memset(secret.data(), 0, static_cast<std::size_t>(secret.size()));
    secret.clear();
}

// A name no certificate of the database has yet: the file's own, else the holder's, with " (2)",
// " (3)"… when it is taken.
SECItem* PR_CALLBACK freeNickname(SECItem* old, PRBool* cancel, void* argument) {
    *cancel = PR_FALSE;
    auto* holder = static_cast<QString*>(argument);
    QString base = old && old->data && old->len ? QString::fromUtf8(reinterpret_cast<const char*>(old->data),
                                                                   static_cast<qsizetype>(std::strlen(
                                                                       reinterpret_cast<const char*>(old->data))))
                                                : *holder;
    if (base.isEmpty()) base = QStringLiteral("Certyfikat");
    for (int number = 1; number < 1000; ++number) {
        const QString name = number == 1 ? base : QStringLiteral("%1 (%2)").arg(base).arg(number);
        const QByteArray bytes = name.toUtf8();
        CERTCertificate* taken = CERT_FindCertByNickname(CERT_GetDefaultCertDB(), bytes.constData());
        if (taken) {
            CERT_DestroyCertificate(taken);
            continue;
        }
        SECItem* item = SECITEM_AllocItem(nullptr, nullptr, static_cast<unsigned>(bytes.size() + 1));
        if (!item) break;
        std::memcpy(item->data, bytes.constData(), static_cast<std::size_t>(bytes.size() + 1));
        item->len = static_cast<unsigned>(bytes.size());
        item->type = siAsciiString;
        return item;
    }
    *cancel = PR_TRUE;
    return nullptr;
}

bool betterFirst(const SigningCertificate& a, const SigningCertificate& b) {
    const int byName = QString::localeAwareCompare(a.subject, b.subject);
    if (byName != 0) return byName < 0;
    if (a.validTo != b.validTo) return a.validTo > b.validTo;
    return a.nickname < b.nickname;
}

}  // namespace

namespace nss_support {

char* NoPassword(PK11SlotInfo*, PRBool, void*) { return nullptr; }

void RequireOpen() {
    if (OpenCertificateDatabaseFolder().isEmpty())
        throw SigningError(QStringLiteral("Baza certyfikatów nie jest otwarta."));
}

SigningCertificate Describe(CERTCertificate* certificate, const QDateTime& now) {
    SigningCertificate described;
    described.nickname = QString::fromUtf8(certificate->nickname ? certificate->nickname : "");
    described.subject = commonName(&certificate->subject);
    if (described.subject.isEmpty()) described.subject = QString::fromUtf8(certificate->subjectName);
    described.issuer = commonName(&certificate->issuer);
    if (described.issuer.isEmpty()) described.issuer = QString::fromUtf8(certificate->issuerName);
    PRTime notBefore = 0;
    PRTime notAfter = 0;
    if (CERT_GetCertTimes(certificate, &notBefore, &notAfter) == SECSuccess) {
        described.validFrom = fromPrTime(notBefore);
        described.validTo = fromPrTime(notAfter);
    }
    if (certificate->slot && !PK11_IsInternal(certificate->slot))
        described.token = QString::fromUtf8(PK11_GetTokenName(certificate->slot));
    const std::optional<unsigned> usage =
        certificate->keyUsagePresent ? std::optional<unsigned>(certificate->keyUsage) : std::nullopt;
    described.unusable = SigningUnusableReason(described.validFrom, described.validTo, usage, now);
    return described;
}

void RememberLogin(PK11SlotInfo* slot) {
    DatabaseState& shared = state();
    const std::lock_guard lock(shared.mutex);
    if (std::find(shared.loggedIn.begin(), shared.loggedIn.end(), slot) == shared.loggedIn.end())
        shared.loggedIn.push_back(PK11_ReferenceSlot(slot));
}

QString LastErrorText() {
    const PRErrorCode code = PORT_GetError();
    switch (code) {
    case SEC_ERROR_BAD_PASSWORD: return QStringLiteral("nieprawidłowe hasło lub PIN");
    case SEC_ERROR_LOCKED_PASSWORD: return QStringLiteral("PIN jest zablokowany");
    case SEC_ERROR_NO_TOKEN: return QStringLiteral("nie ma karty w czytniku");
    case SEC_ERROR_TOKEN_NOT_LOGGED_IN: return QStringLiteral("karta nie jest odblokowana PIN-em");
    case SEC_ERROR_READ_ONLY: return QStringLiteral("baza certyfikatów jest tylko do odczytu");
    case SEC_ERROR_PKCS12_DECODING_PFX: return QStringLiteral("to nie jest plik PKCS#12");
    case SEC_ERROR_PKCS12_INVALID_MAC: return QStringLiteral("nieprawidłowe hasło pliku albo plik jest uszkodzony");
    case SEC_ERROR_PKCS12_UNABLE_TO_IMPORT_KEY: return QStringLiteral("nie można dodać klucza z pliku");
    default: break;
    }
    const char* text = PR_ErrorToString(code, PR_LANGUAGE_I_DEFAULT);
    return QStringLiteral("błąd NSS %1 (%2)").arg(code).arg(QString::fromUtf8(text ? text : ""));
}

}  // namespace nss_support

QString DefaultCertificateDatabase() { return QDir::home().filePath(QStringLiteral(".pki/nssdb")); }

QString ProgramCertificateDatabase() {
    const QString fromEnvironment = qEnvironmentVariable("FISKON_NSS_DB");
    return fromEnvironment.isEmpty() ? DefaultCertificateDatabase() : fromEnvironment;
}

void OpenCertificateDatabase(const QString& folder) {
    DatabaseState& shared = state();
    const std::lock_guard lock(shared.mutex);
    const QString wanted = QFileInfo(folder).absoluteFilePath();
    if (!shared.folder.isEmpty()) {
        if (QFileInfo(shared.folder) == QFileInfo(wanted)) return;
        throw SigningError(QStringLiteral("Otwarta jest już baza certyfikatów „%1”; innej („%2”) można użyć po "
                                          "ponownym uruchomieniu programu.")
                               .arg(QDir::toNativeSeparators(shared.folder), QDir::toNativeSeparators(wanted)));
    }
    if (!QFileInfo(wanted).isDir()) {
        // The user's own database is made as browsers make it; another must exist. Compared by
        // path: QFileInfo takes any two missing files for the same one.
        const QString own = QDir::cleanPath(QFileInfo(DefaultCertificateDatabase()).absoluteFilePath());
        if (QDir::cleanPath(wanted) != own || !QDir().mkpath(wanted))
            throw SigningError(QStringLiteral("Nie ma bazy certyfikatów „%1”.").arg(QDir::toNativeSeparators(wanted)));
        QFile::setPermissions(wanted, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    PK11_SetPasswordFunc(nss_support::NoPassword);
    const QByteArray config = "sql:" + QFile::encodeName(wanted);
    // Read-write, so that a certificate file can be added; a database the user may only read is
    // still good for signing.
    if (NSS_InitReadWrite(config.constData()) != SECSuccess && NSS_Init(config.constData()) != SECSuccess)
        throw SigningError(QStringLiteral("Nie można otworzyć bazy certyfikatów „%1”: %2.")
                               .arg(QDir::toNativeSeparators(wanted), nss_support::LastErrorText()));
    NSS_SetDomesticPolicy();
    // Certificate files from other programs use these (older files 3DES, newer AES).
    for (const long cipher : {PKCS12_RC2_CBC_40, PKCS12_RC2_CBC_128, PKCS12_RC4_40, PKCS12_RC4_128, PKCS12_DES_56,
                              PKCS12_DES_EDE3_168})
        SEC_PKCS12EnableCipher(cipher, PR_TRUE);
    shared.folder = wanted;
}

QString OpenCertificateDatabaseFolder() {
    DatabaseState& shared = state();
    const std::lock_guard lock(shared.mutex);
    return shared.folder;
}

QString SigningUnusableReason(const QDateTime& from, const QDateTime& to, std::optional<unsigned> keyUsage,
                              const QDateTime& now) {
    if (keyUsage && (*keyUsage & (KU_DIGITAL_SIGNATURE | KU_NON_REPUDIATION)) == 0)
        return QStringLiteral("certyfikat nie służy do podpisu (użycie klucza bez digitalSignature i nonRepudiation)");
    if (!to.isValid() || !from.isValid()) return QStringLiteral("certyfikat nie ma okresu ważności");
    if (now > to) return QStringLiteral("certyfikat wygasł %1").arg(day(to));
    if (now < from) return QStringLiteral("certyfikat jest ważny dopiero od %1").arg(day(from));
    return {};
}

std::vector<SigningCertificate> SigningCertificates(const QDateTime& now) {
    nss_support::RequireOpen();
    std::vector<SigningCertificate> found;
    // Certificates with a key: on a card the key's public half (or the certificate's own marking)
    // tells, so no PIN is needed to list them.
    CERTCertList* list = PK11_ListCerts(PK11CertListUser, nullptr);
    if (!list) return found;
    for (CERTCertListNode* node = CERT_LIST_HEAD(list); !CERT_LIST_END(node, list); node = CERT_LIST_NEXT(node))
        found.push_back(nss_support::Describe(node->cert, now));
    CERT_DestroyCertList(list);
    std::sort(found.begin(), found.end(), betterFirst);
    found.erase(std::unique(found.begin(), found.end(),
                            [](const SigningCertificate& a, const SigningCertificate& b) { return a.nickname == b.nickname; }),
                found.end());
    return found;
}

std::optional<SigningCertificate> FindSigningCertificate(const QString& nickname, const QDateTime& now) {
    for (SigningCertificate& certificate : SigningCertificates(now))
        if (certificate.nickname == nickname) return std::move(certificate);
    return std::nullopt;
}

QString AddPkcs12File(const QString& path, QByteArray password, const SecretSource& databasePassword) {
    const auto cleared = [&password] { clear(password); };
    nss_support::RequireOpen();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        cleared();
        throw SigningError(QStringLiteral("Nie można odczytać pliku certyfikatu „%1”: %2.")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    constexpr qint64 kLargestFile = 1024 * 1024;  // a certificate file is a few kilobytes
    if (file.size() > kLargestFile) {
        cleared();
        throw SigningError(QStringLiteral("Plik „%1” jest za duży jak na plik certyfikatu (PKCS#12).")
                               .arg(QDir::toNativeSeparators(path)));
    }
    QByteArray bytes = file.readAll();

    PK11SlotInfo* slot = PK11_GetInternalKeySlot();
    const auto releaseSlot = [slot] { PK11_FreeSlot(slot); };
    // A database never given a password gets the empty one, as certutil -N --empty-password does.
    if (PK11_NeedUserInit(slot)) PK11_InitPin(slot, nullptr, "");
    if (PK11_NeedLogin(slot) && !PK11_IsLoggedIn(slot, nullptr)) {
        SigningCertificate database;
        database.token = QString::fromUtf8(PK11_GetTokenName(slot));
        std::optional<QByteArray> secret = databasePassword ? databasePassword(database) : std::nullopt;
        if (!secret) {
            cleared();
            releaseSlot();
            throw SigningError(QStringLiteral("Nie podano hasła bazy certyfikatów; nie dodano certyfikatu."));
        }
        secret->append('\0');
        const SECStatus login = PK11_CheckUserPassword(slot, secret->constData());
        clear(*secret);
        if (login != SECSuccess) {
            const QString why = nss_support::LastErrorText();
            cleared();
            releaseSlot();
            throw SigningError(QStringLiteral("Nie dodano certyfikatu: hasło bazy certyfikatów – %1.").arg(why));
        }
        nss_support::RememberLogin(slot);
    }

    SECItem* secret = pkcs12Password(password);
    cleared();
    QString holder;
    QString nickname;
    QString failure;
    SEC_PKCS12DecoderContext* decoder =
        secret ? SEC_PKCS12DecoderStart(secret, slot, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) : nullptr;
    if (!decoder) {
        failure = nss_support::LastErrorText();
    } else if (SEC_PKCS12DecoderUpdate(decoder, reinterpret_cast<unsigned char*>(bytes.data()),
                                       static_cast<unsigned long>(bytes.size())) != SECSuccess) {
        failure = nss_support::LastErrorText();
        if (PORT_GetError() != SEC_ERROR_BAD_PASSWORD) failure = QStringLiteral("to nie jest plik PKCS#12 (%1)").arg(failure);
    } else if (SEC_PKCS12DecoderVerify(decoder) != SECSuccess) {
        failure = PORT_GetError() == SEC_ERROR_PKCS12_INVALID_MAC ? QStringLiteral("nieprawidłowe hasło pliku")
                                                                   : nss_support::LastErrorText();
    } else {
        // The holder's name stands in for a file without a name for its certificate.
        if (CERTCertList* certificates = SEC_PKCS12DecoderGetCerts(decoder)) {
            if (!CERT_LIST_EMPTY(certificates)) holder = commonName(&CERT_LIST_HEAD(certificates)->cert->subject);
            CERT_DestroyCertList(certificates);
        }
        if (SEC_PKCS12DecoderValidateBags(decoder, freeNickname) != SECSuccess ||
            SEC_PKCS12DecoderImportBags(decoder) != SECSuccess) {
            failure = nss_support::LastErrorText();
        } else if (CERTCertList* certificates = SEC_PKCS12DecoderGetCerts(decoder)) {
            // The certificate that now has its key in the database is the signing one.
            for (CERTCertListNode* node = CERT_LIST_HEAD(certificates); !CERT_LIST_END(node, certificates);
                 node = CERT_LIST_NEXT(node)) {
                CERTCertificate* stored = CERT_FindCertByDERCert(CERT_GetDefaultCertDB(), &node->cert->derCert);
                if (!stored) continue;
                SECKEYPrivateKey* key = PK11_FindKeyByAnyCert(stored, nullptr);
                if (key) {
                    nickname = QString::fromUtf8(stored->nickname ? stored->nickname : "");
                    SECKEY_DestroyPrivateKey(key);
                }
                CERT_DestroyCertificate(stored);
                if (!nickname.isEmpty()) break;
            }
            CERT_DestroyCertList(certificates);
            if (nickname.isEmpty()) failure = QStringLiteral("w pliku nie ma klucza prywatnego do certyfikatu");
        }
    }
    if (decoder) SEC_PKCS12DecoderFinish(decoder);
    if (secret) SECITEM_ZfreeItem(secret, PR_TRUE);
    std::memset(bytes.data(), 0, static_cast<std::size_t>(bytes.size()));
    releaseSlot();
    if (!failure.isEmpty())
        throw SigningError(QStringLiteral("Nie dodano certyfikatu z pliku „%1”: %2.")
                               .arg(QDir::toNativeSeparators(path), failure));
    return nickname;
}

bool FinishCertificateDatabase() {
    DatabaseState& shared = state();
    const std::lock_guard lock(shared.mutex);
    if (shared.folder.isEmpty()) return false;
    for (PK11SlotInfo* slot : shared.loggedIn) {
        if (PK11_IsPresent(slot)) PK11_Logout(slot);
        PK11_FreeSlot(slot);
    }
    shared.loggedIn.clear();
    // The signing library keeps a few NSS objects to the end, so NSS may answer that it is still
    // in use; its state is gone all the same, and nothing calls a card module after this.
    NSS_Shutdown();
    shared.folder.clear();
    return true;
}
