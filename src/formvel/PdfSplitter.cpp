#include "formvel/PdfSplitter.h"

#include <QDateTime>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <sys/random.h>

#include <cerrno>
#include <stdexcept>
#include <string>

namespace {

// 16 bytes (128 bits) from the system's cryptographic random source, as 22 characters of
// base64: beyond any search, and short, since the key derivation of AES-256 hashes the owner
// password 64 times over in each of its rounds.
std::string randomOwnerPassword() {
    char bytes[16];
    std::size_t filled = 0;
    while (filled < sizeof bytes) {
        const ssize_t got = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("Nie można uzyskać liczb losowych do zabezpieczenia pliku PDF.");
        }
        filled += static_cast<std::size_t>(got);
    }
    return QByteArray(bytes, sizeof bytes)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals)
        .toStdString();
}

std::string utf16Text(const QString& text) {
    std::string bytes = "\xFE\xFF";
    for (const QChar c : text) {
        bytes += static_cast<char>(c.unicode() >> 8);
        bytes += static_cast<char>(c.unicode() & 0xFF);
    }
    return bytes;
}

QPDFObjectHandle information(QPDF& pdf, const QString& title, const QString& creator, const std::string& date) {
    QPDFObjectHandle info = QPDFObjectHandle::newDictionary();
    info.replaceKey("/Title", QPDFObjectHandle::newString(utf16Text(title)));
    info.replaceKey("/Creator", QPDFObjectHandle::newString(utf16Text(creator)));
    info.replaceKey("/Producer", QPDFObjectHandle::newString(utf16Text(QStringLiteral("Qt %1, qpdf").arg(QString::fromLatin1(qVersion())))));
    info.replaceKey("/CreationDate", QPDFObjectHandle::newString(date));
    return pdf.makeIndirectObject(info);
}

// The signing library (poppler 22.12) takes a font of the form resources named "popplerfont…"
// whose base font is "Helvetica " (a blank after the name, as it names the fonts it adds) or,
// as later versions compare, "Helvetica"; both are offered, neither embedded.
void addSignatureFont(QPDF& pdf) {
    QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
    int number = 0;
    for (const char* name : {"Helvetica ", "Helvetica"}) {
        QPDFObjectHandle font = QPDFObjectHandle::newDictionary();
        font.replaceKey("/Type", QPDFObjectHandle::newName("/Font"));
        font.replaceKey("/Subtype", QPDFObjectHandle::newName("/Type1"));
        font.replaceKey("/BaseFont", QPDFObjectHandle::newName(std::string("/") + name));
        font.replaceKey("/Encoding", QPDFObjectHandle::newName("/WinAnsiEncoding"));
        fonts.replaceKey("/popplerfont" + std::to_string(++number), pdf.makeIndirectObject(font));
    }
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts);
    QPDFObjectHandle form = QPDFObjectHandle::newDictionary();
    form.replaceKey("/Fields", QPDFObjectHandle::newArray());
    form.replaceKey("/DR", resources);
    pdf.getRoot().replaceKey("/AcroForm", pdf.makeIndirectObject(form));
}

QByteArray writePiece(const std::vector<QPDFPageObjectHelper>& pages, const PdfPiece& piece,
                      const QString& creator, const std::string& date) {
    QPDF out;
    out.emptyPDF();
    QPDFPageDocumentHelper outPages(out);
    for (int page = piece.firstPage; page < piece.firstPage + piece.pageCount; ++page)
        outPages.addPage(pages[static_cast<std::size_t>(page)], false);
    out.getTrailer().replaceKey("/Info", information(out, piece.title, creator, date));
    if (piece.invisibleSignature) addSignatureFont(out);
    QPDFWriter writer(out);
    writer.setOutputMemory();
    if (piece.userPassword.isEmpty()) {
        writer.setDeterministicID(true);
    } else {
        const std::string owner = randomOwnerPassword();
        writer.setR6EncryptionParameters(piece.userPassword.constData(), owner.c_str(), true, true, false, false, false,
                                         false, qpdf_r3p_full, true);
    }
    writer.write();
    const auto buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), static_cast<qsizetype>(buffer->getSize()));
}

}  // namespace

QByteArray WithSignatureFont(const QByteArray& pdf) {
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("podpis.pdf", pdf.constData(), static_cast<std::size_t>(pdf.size()));
        addSignatureFont(document);
        QPDFWriter writer(document);
        writer.setOutputMemory();
        writer.setDeterministicID(true);
        writer.write();
        const auto buffer = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), static_cast<qsizetype>(buffer->getSize()));
    } catch (const std::exception& failure) {
        throw std::runtime_error(std::string("Nie można przygotować pliku PDF do podpisu: ") + failure.what());
    }
}

std::vector<QByteArray> SplitPdf(const QByteArray& pdf, const std::vector<PdfPiece>& pieces, const QString& creator) {
    try {
        QPDF source;
        source.setSuppressWarnings(true);
        source.processMemoryFile("czesc.pdf", pdf.constData(), static_cast<std::size_t>(pdf.size()));
        source.pushInheritedAttributesToPage();
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(source).getAllPages();
        const std::string date =
            "D:" + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toStdString() + "Z";
        std::vector<QByteArray> files;
        files.reserve(pieces.size());
        for (const PdfPiece& piece : pieces) {
            if (piece.firstPage < 0 || piece.pageCount <= 0 ||
                piece.firstPage + piece.pageCount > static_cast<int>(pages.size()))
                throw std::runtime_error("Część pliku PDF ma mniej stron, niż mają jej dokumenty.");
            files.push_back(writePiece(pages, piece, creator, date));
        }
        return files;
    } catch (const QPDFExc& failure) {
        throw std::runtime_error(std::string("Nie można podzielić pliku PDF: ") + failure.what());
    } catch (const std::logic_error& failure) {
        throw std::runtime_error(std::string("Nie można podzielić pliku PDF: ") + failure.what());
    }
}
