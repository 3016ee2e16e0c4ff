#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Joins PDFs made by Qt's PDF writer (QPdfWriter) into one PDF, piece by piece, so that a file of
// any size is written without holding more than one part in memory: the pages of every part, in
// the order the parts are given, each part keeping its own fonts. Each call gives the bytes that
// follow in the joined file.
//
// Qt writes a plain PDF: numbered objects, one cross-reference table, a trailer naming the
// catalogue and the document information, and one page tree. The objects of a part are renumbered
// past those already written (references "N 0 R" in their dictionaries follow; stream data is
// copied as it is); its catalogue, page tree and information are dropped, its pages join the one
// page tree of the joined file.
class PdfAssembler {
public:
    // The file's start; first of all.
    QByteArray begin();
    // The objects of one part. Throws std::runtime_error when the bytes are not a PDF of that form.
    QByteArray append(const QByteArray& part);
    // The page tree, the document information and the cross-reference table; last of all.
    QByteArray finish(const QString& title, const QString& creator);

    int pageCount() const { return static_cast<int>(pages_.size()); }

private:
    void startObject(int number, const QByteArray& out);

    qint64 written_ = 0;
    std::vector<qint64> offsets_;  // of every object, by number (0: the free head of the list)
    std::vector<int> pages_;       // the page objects, in order
};
