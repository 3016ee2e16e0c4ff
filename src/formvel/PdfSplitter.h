#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Splits one PDF into PDFs of a few pages each, with libqpdf: the batch draws many documents into
// one PDF (the fonts made and embedded once) and each document's pages then become a file of its
// own. A file with a password is encrypted by libqpdf with AES-256 (revision 6): the password
// opens it, and a random owner password, made for that file and then forgotten, keeps its
// permissions (printing, copying text, reading aloud; no changes) from being lifted.
struct PdfPiece {
    int firstPage = 0;  // 0-based, in the PDF being split
    int pageCount = 0;
    QString title;            // the document title of the piece
    QByteArray userPassword;  // UTF-8; empty: not encrypted
    // To be signed with an invisible signature: the form resources hold a plain Helvetica (not
    // embedded) under the name the signing library looks for, so that it embeds no font of its own
    // (half a megabyte) for an appearance nobody sees.
    bool invisibleSignature = false;
};

// The PDF with the font an invisible signature takes (see PdfPiece), not encrypted. Throws
// std::runtime_error (Polish) when the PDF cannot be read.
QByteArray WithSignatureFont(const QByteArray& pdf);

// The pieces, in memory, in the order asked. Unencrypted pieces are the same bytes for the same
// input. Throws std::runtime_error (Polish) when the PDF cannot be read or a piece lies outside it.
std::vector<QByteArray> SplitPdf(const QByteArray& pdf, const std::vector<PdfPiece>& pieces, const QString& creator);
