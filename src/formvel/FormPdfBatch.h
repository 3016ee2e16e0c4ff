#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <stdexcept>

// Many forms into PDF at once, drawn on several threads with the same result as on one: into one
// PDF with the documents in the order given, or each into a PDF file of its own (locked with a
// password when one is given). At most a few parts of the batch are in memory at a time,
// whatever its size. Everything is written through the program's one safe writer.
//
// A batch is all or nothing before its first file: every document is computed and shown to
// `checked` before anything is drawn, and what `checked` throws stops the batch with no file
// written.

// One document of a batch: the form's edition, its field list (code page 1250, as the forms
// program receives it) and the list's options (FormDocument::Option), and for a file of its own
// where it goes and the password that opens it (UTF-8; empty: not encrypted).
struct FormPdfSource {
    QByteArray symbol;
    QByteArray fields;
    int options = 0;
    QString path;
    QByteArray password;
};

// What became of one document: whether the forms program took its field list, its findings
// (lines in code page 1250, CR LF), and why its amounts could not be calculated (empty when they
// could; such a document gets no file of its own).
struct FormPdfOutcome {
    bool accepted = true;
    QByteArray findings;
    QString calculationFailure;
};

struct FormPdfBatch {
    int count = 0;  // documents 0 .. count-1
    int jobs = 1;   // threads that draw; 1 draws on the caller's thread
    // Called on the caller's thread, in order, a little ahead of the work on each document (twice
    // for each: once to check it, once to draw it); the same index must give the same source.
    std::function<FormPdfSource(int index)> source;
    // Called on the caller's thread, in order, for every document once it is computed, before
    // anything is drawn or written. Throwing stops the batch with nothing written.
    std::function<void(int index, const FormPdfOutcome& outcome)> checked;
    // Called on the caller's thread as documents are drawn, with the number done so far (for files
    // of their own: written under their names). Optional. Throwing stops the batch: one PDF is not
    // written then, the files already named stay whole.
    std::function<void(int done)> progress;
    // Optional: called on the caller's thread, in order, with each document's own file (opened by
    // its source's password) before it is named, or with the one PDF (index -1, no password) before
    // it is written; returns the file as it is to be written (signed). What it throws stops the
    // batch as SealingStopped: the files sealed before are named, whole.
    std::function<QByteArray(int index, const QByteArray& file, const QByteArray& password)> seal;
    // The files are made for an invisible signature by `seal` (see PdfPiece).
    bool invisibleSignature = false;
};

// `seal` refused a file: its reason, how many files were written and at which one it stopped
// (Polish, UTF-8).
class SealingStopped : public std::runtime_error {
public:
    explicit SealingStopped(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// Draws the batch into one PDF at `path`: each document from a new page, in order, the document
// title naming the forms and the number of documents. Throws FileError (Polish, naming the file
// and the cause) when the file cannot be written, leaving what stood there as it was; what
// `source`, `checked` or `progress` throw goes on to the caller the same way.
void WriteFormsPdfBatch(const QString& path, const FormPdfBatch& batch);

// Draws each document of the batch into the PDF file its source names, its title naming the form,
// the edition and the taxpayer. A document whose field list is refused or whose amounts cannot be
// calculated gets no file. Files take their names a part at a time, in order, each part flushed
// to the disk together; a link standing at a file's name is replaced, never followed. Returns the
// number of files written. A write that fails throws FileError saying how many files were
// written and at which one it stopped: those written are whole, no other file is touched.
int WriteEachFormPdf(const FormPdfBatch& batch);

// Documents that go into one part of a batch: drawn together into one PDF in memory by one thread.
// Depends only on the size of the batch, so that any number of jobs gives the same file.
int DocumentsPerPart(int count);
