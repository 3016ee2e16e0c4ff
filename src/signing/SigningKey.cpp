#include "signing/SigningKey.h"

#include "signing/NssSupport.h"
#include "signing/SigningError.h"

#include <poppler-qt6.h>
#include <keyhi.h>
#include <secerr.h>

#include <QDir>
#include <QFile>
#include <QRectF>
#include <QTemporaryDir>

#include <cstring>

namespace {

// The signing library writes the signed file under a name (in Latin-1): a folder of the user's
// own, removed with what is in it when the key is done with.
std::unique_ptr<QTemporaryDir> workFolder() {
    QString base = QDir::tempPath();
    if (QString::fromLatin1(base.toLatin1()) != base) base = QStringLiteral("/tmp");
    auto folder = std::make_unique<QTemporaryDir>(base + QStringLiteral("/fiskon-podpis-XXXXXX"));
    if (!folder->isValid())
        throw SigningError(QStringLiteral("Nie można utworzyć katalogu roboczego do podpisywania plików PDF: %1.")
                               .arg(folder->errorString()));
    return folder;
}

QString cardText(const SigningCertificate& certificate) {
    return certificate.onCard() ? QStringLiteral("karty „%1”").arg(certificate.token)
                                : QStringLiteral("bazy certyfikatów");
}

QString removedText(const SigningCertificate& certificate) {
    return certificate.onCard()
               ? QStringLiteral("Karta „%1” została wyjęta z czytnika (albo włożona ponownie i nie jest odblokowana).")
                     .arg(certificate.token)
               : QStringLiteral("Baza certyfikatów nie jest już odblokowana.");
}

// The text of a visible signature as the library can lay it out: it breaks lines at blanks only,
// and a word wider than the box would never be placed (it would try for ever). Words are cut to a
// width that fits, blanks made single, and the text kept to what three lines hold.
QString visibleText(const QString& text) {
    constexpr qsizetype kLongestWord = 20;
    constexpr qsizetype kLongestText = 90;
    QStringList words = text.simplified().split(u' ', Qt::SkipEmptyParts);
    for (QString& word : words)
        if (word.size() > kLongestWord) word = word.left(kLongestWord - 1) + QChar(0x2026);
    QString result = words.join(u' ');
    if (result.size() > kLongestText) result = result.left(kLongestText - 1).trimmed() + QChar(0x2026);
    return result;
}

}  // namespace

struct SigningKey::State {
    SigningCertificate certificate;
    PK11SlotInfo* slot = nullptr;  // where the key is
    CERTCertificate* found = nullptr;
    bool loggedIn = false;         // this key logged in to the slot with the PIN it asked for
    std::unique_ptr<QTemporaryDir> folder;
    ~State() {
        // The card is locked again when its batch is done: the next batch asks for the PIN anew,
        // and nobody signs with it behind the user's back while the program stays open.
        if (slot && loggedIn && PK11_IsPresent(slot)) PK11_Logout(slot);
        if (found) CERT_DestroyCertificate(found);
        if (slot) PK11_FreeSlot(slot);
    }
};

SigningKey::SigningKey(const QString& nickname, const SecretSource& pin) : state_(std::make_unique<State>()) {
    nss_support::RequireOpen();
    // Looked up among the listed ones: a card that is not "friendly" shows its certificates to the
    // list, but a search by name would want it logged in first.
    CERTCertificate* found = nullptr;
    if (CERTCertList* list = PK11_ListCerts(PK11CertListUser, nullptr)) {
        const QByteArray name = nickname.toUtf8();
        for (CERTCertListNode* node = CERT_LIST_HEAD(list); !CERT_LIST_END(node, list) && !found;
             node = CERT_LIST_NEXT(node))
            if (node->cert->nickname && name == node->cert->nickname) found = CERT_DupCertificate(node->cert);
        CERT_DestroyCertList(list);
    }
    if (!found)
        throw SigningError(QStringLiteral("W bazie certyfikatów „%1” nie ma certyfikatu „%2”.")
                               .arg(QDir::toNativeSeparators(OpenCertificateDatabaseFolder()), nickname));
    state_->certificate = nss_support::Describe(found, QDateTime::currentDateTimeUtc());
    state_->certificate.nickname = nickname;
    state_->slot = found->slot ? PK11_ReferenceSlot(found->slot) : PK11_GetInternalKeySlot();
    state_->found = found;
    const SigningCertificate& certificate = state_->certificate;
    if (!certificate.usable())
        throw SigningError(QStringLiteral("Certyfikatem „%1” nie można podpisywać: %2.").arg(nickname, certificate.unusable));
    if (!PK11_IsPresent(state_->slot))
        throw SigningError(QStringLiteral("Nie ma karty „%1” z certyfikatem „%2”.").arg(certificate.token, nickname));
    if (PK11_NeedLogin(state_->slot) && !PK11_IsLoggedIn(state_->slot, nullptr)) {
        std::optional<QByteArray> secret = pin ? pin(certificate) : std::nullopt;
        if (!secret)
            throw SigningError(QStringLiteral("Nie podano PIN-u %1; nic nie podpisano.").arg(cardText(certificate)));
        secret->append('\0');
        // One attempt only: a card counts wrong PINs and locks itself after a few.
        const SECStatus login = PK11_CheckUserPassword(state_->slot, secret->constData());
        std::memset(secret->data(), 0, static_cast<std::size_t>(secret->size()));
        if (login != SECSuccess) {
            if (PORT_GetError() == SEC_ERROR_BAD_PASSWORD)
                throw SigningError(QStringLiteral("Nieprawidłowy PIN %1. Nic nie podpisano; PIN nie był wpisywany "
                                                  "ponownie, bo po kilku błędnych próbach karta się blokuje.")
                                       .arg(cardText(certificate)));
            throw SigningError(QStringLiteral("Nie można odblokować %1: %2.")
                                   .arg(cardText(certificate), nss_support::LastErrorText()));
        }
        nss_support::RememberLogin(state_->slot);
        state_->loggedIn = true;
    }
    state_->folder = workFolder();
}

SigningKey::~SigningKey() = default;

const SigningCertificate& SigningKey::certificate() const { return state_->certificate; }

void SigningKey::ensureReady() const {
    if (!PK11_IsPresent(state_->slot) || (PK11_NeedLogin(state_->slot) && !PK11_IsLoggedIn(state_->slot, nullptr)))
        throw SigningError(removedText(state_->certificate));
}

QByteArray SigningKey::sign(const QByteArray& pdf, const PdfSignatureRequest& request) const {
    // The library's NSS calls would log in by themselves, with a PIN tried over and over; a key
    // still logged in needs none.
    ensureReady();
    const SigningCertificate& certificate = state_->certificate;
    std::unique_ptr<Poppler::Document> document =
        Poppler::Document::loadFromData(pdf, QByteArray(), request.documentPassword);
    if (!document || document->isLocked())
        throw SigningError(QStringLiteral("Nie można otworzyć pliku PDF do podpisania."));
    const QString path = state_->folder->filePath(QStringLiteral("podpisany.pdf"));
    QFile::remove(path);
    std::unique_ptr<Poppler::PDFConverter> converter = document->pdfConverter();
    converter->setOutputFileName(path);
    converter->setPDFOptions(converter->pdfOptions() | Poppler::PDFConverter::WithChanges);
    Poppler::PDFConverter::NewSignatureData data;
    data.setCertNickname(certificate.nickname);
    data.setPage(0);
    data.setReason(request.reason);
    data.setDocumentUserPassword(request.documentPassword);
    data.setFieldPartialName(QStringLiteral("Podpis"));
    const QString signedAt = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    data.setSignatureText(visibleText(QStringLiteral("Podpisano elektronicznie: %1").arg(certificate.subject)));
    if (request.visible) {
        data.setSignatureLeftText(signedAt);
        // At the foot of the first page, on the right, in the page's share (top-left origin).
        data.setBoundingRectangle(QRectF(0.55, 0.93, 0.40, 0.045));
        data.setFontSize(7);
        data.setLeftFontSize(7);
        data.setFontColor(Qt::black);
        data.setBorderColor(Qt::darkGray);
        data.setBorderWidth(0.5);
        data.setBackgroundColor(Qt::white);
    } else {
        // A field of no size. The library still lays out the text it insists on, breaking it at
        // blanks to fit no width: a single word is laid out once, words would be broken for ever.
        data.setSignatureText(QStringLiteral("Podpis"));
        data.setBoundingRectangle(QRectF());
    }
    const bool signedFile = converter->sign(data);
    // The library sets its own password callback, which would give its password again on every
    // retry; nothing of the program's may ever run with it.
    PK11_SetPasswordFunc(nss_support::NoPassword);
    QFile written(path);
    QByteArray result;
    if (signedFile && written.open(QIODevice::ReadOnly)) result = written.readAll();
    written.close();
    QFile::remove(path);
    if (!signedFile || result.isEmpty()) {
        ensureReady();
        // A card taken out may still be reported present for a while; its key is gone at once.
        SECKEYPrivateKey* key = PK11_FindKeyByAnyCert(state_->found, nullptr);
        if (!key) throw SigningError(removedText(certificate));
        SECKEY_DestroyPrivateKey(key);
        throw SigningError(QStringLiteral("Nie udało się podpisać pliku PDF certyfikatem „%1” (%2).")
                               .arg(certificate.nickname, nss_support::LastErrorText()));
    }
    return result;
}
