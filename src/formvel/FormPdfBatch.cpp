#include "formvel/FormPdfBatch.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/FormRenderer.h"
#include "formvel/OrderedWorkers.h"
#include "formvel/PdfAssembler.h"
#include "formvel/PdfSplitter.h"
#include "store/AtomicFileWriter.h"
#include "store/FileErrorText.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <deque>
#include <memory>
#include <set>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

const QString kCreator = QStringLiteral("Fiskon – formularze");

struct DrawnDocument {
    FormPdfOutcome outcome;
    QString editionLabel;
    QString taxpayer;
    int pages = 0;
    QString path;
    QByteArray password;
};

struct Part {
    std::vector<FormPdfSource> sources;
    bool ownFiles = false;  // each document into a file of its own
    bool invisibleSignature = false;
};

struct DrawnPart {
    std::vector<DrawnDocument> documents;
    QByteArray pdf;                // the part as one PDF (one PDF of the whole batch)
    std::vector<QByteArray> files;  // each written document's own file (files of their own)
};

std::unique_ptr<FormDocument> makeDocument(const FormPdfSource& source, DrawnDocument& drawn) {
    std::unique_ptr<FormDocument> document = FormDocument::create(source.symbol);
    if (!document)
        throw std::runtime_error(QStringLiteral("Program formularzy nie zna formularza %1.")
                                     .arg(QString::fromLatin1(source.symbol))
                                     .toStdString());
    drawn.outcome.accepted = document->setFields(source.fields, source.options);
    drawn.outcome.findings = document->errors();
    if (const auto& failure = document->calculationError()) drawn.outcome.calculationFailure = failure->message;
    drawn.editionLabel = FormEditionLabel(*document);
    drawn.taxpayer = document->taxpayerName();
    drawn.pages = document->pageCount();
    drawn.path = source.path;
    drawn.password = source.password;
    return document;
}

bool getsOwnFile(const FormPdfOutcome& outcome) { return outcome.accepted && outcome.calculationFailure.isEmpty(); }

FormPdfOutcome checkDocument(FormPdfSource& source) {
    DrawnDocument drawn;
    makeDocument(source, drawn);
    return drawn.outcome;
}

// Draws a part as one PDF; for files of their own, that PDF is then split into each written
// document's file (encrypted when it has a password): the fonts are made and embedded once per
// part, not once per file.
DrawnPart drawPart(Part& part) {
    DrawnPart drawn;
    std::vector<std::unique_ptr<FormDocument>> documents;
    std::vector<FormPdfPages> pages;
    std::vector<PdfPiece> pieces;
    drawn.documents.resize(part.sources.size());
    int page = 0;
    for (std::size_t i = 0; i < part.sources.size(); ++i) {
        documents.push_back(makeDocument(part.sources[i], drawn.documents[i]));
        const DrawnDocument& document = drawn.documents[i];
        if (part.ownFiles && !getsOwnFile(document.outcome)) continue;
        pages.push_back({documents.back().get(), 1, document.pages});
        if (part.ownFiles)
            pieces.push_back({page, document.pages, FormPdfTitle({documents.back().get()}), part.sources[i].password,
                              part.invisibleSignature});
        page += document.pages;
    }
    if (pages.empty()) return drawn;
    drawn.pdf = RenderFormsPdf(pages, QString());
    if (part.ownFiles) {
        drawn.files = SplitPdf(drawn.pdf, pieces, kCreator);
        drawn.pdf.clear();
    }
    return drawn;
}

// The worker threads for `tasks` tasks: none for one job (the caller's thread draws).
int threadsFor(int jobs, int tasks) { return jobs <= 1 ? 0 : std::min(jobs, tasks); }

// Tasks given ahead of the one whose result is awaited: enough to keep every thread busy.
std::size_t windowFor(int jobs) { return 2 * static_cast<std::size_t>(std::max(1, jobs)); }

// Fonts and the layouts' fixed parts are made once, on the caller's thread, before any thread
// draws with them.
class DrawingPreparation {
public:
    void prepare(const QByteArray& symbol) {
        if (!prepared_.insert(symbol).second) return;
        if (const FormLayout* layout = FindFormLayout(symbol)) GeometryOf(*layout);
    }

private:
    std::set<QByteArray> prepared_;
};

// Every document computed, in order, and shown to `checked` before anything is drawn. Computing
// is a small part of drawing, so the batch pays little for knowing at the start that it can end.
void checkEveryDocument(const FormPdfBatch& batch) {
    if (!batch.checked) return;
    OrderedWorkers<FormPdfSource, FormPdfOutcome> workers(threadsFor(batch.jobs, batch.count), checkDocument);
    int given = 0;
    for (int taken = 0; taken < batch.count; ++taken) {
        while (given < batch.count && workers.outstanding() < 8 * windowFor(batch.jobs)) workers.submit(batch.source(given++));
        batch.checked(taken, workers.takeNext());
    }
}

// Hands the batch's parts to the workers, a bounded number ahead of the one taken, and takes
// them back in order.
class PartQueue {
public:
    PartQueue(const FormPdfBatch& batch, bool ownFiles)
        : batch_(batch), ownFiles_(ownFiles), perPart_(DocumentsPerPart(batch.count)),
          parts_((batch.count + perPart_ - 1) / perPart_), workers_(threadsFor(batch.jobs, parts_), drawPart) {}

    int parts() const { return parts_; }
    int firstOf(int part) const { return part * perPart_; }

    DrawnPart takeNext() {
        give();
        DrawnPart drawn = workers_.takeNext();
        give();
        return drawn;
    }

private:
    void give() {
        while (given_ < parts_ && workers_.outstanding() < windowFor(batch_.jobs)) {
            Part part;
            part.ownFiles = ownFiles_;
            part.invisibleSignature = batch_.invisibleSignature;
            for (int index = firstOf(given_); index < std::min(batch_.count, firstOf(given_ + 1)); ++index) {
                part.sources.push_back(batch_.source(index));
                preparation_.prepare(part.sources.back().symbol);
            }
            workers_.submit(std::move(part));
            ++given_;
        }
    }

    const FormPdfBatch& batch_;
    const bool ownFiles_;
    const int perPart_;
    const int parts_;
    int given_ = 0;
    DrawingPreparation preparation_;
    OrderedWorkers<Part, DrawnPart> workers_;
};

// What the writer of the one PDF gives next: the joined file's start, each part's objects in
// order, then its page tree, information and cross-reference table; then nothing.
enum class JoinedPiece { Start, Parts, End, Done };

QString filesText(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(
        PolishPlural(count, QStringLiteral("plik"), QStringLiteral("pliki"), QStringLiteral("plików")));
}

}  // namespace

int DocumentsPerPart(int count) { return std::clamp(count / 32, 8, 64); }

void WriteFormsPdfBatch(const QString& path, const FormPdfBatch& batch) {
    if (batch.count <= 0)
        throw FileError(file_error_text::cannotWrite(path, QStringLiteral("nie ma żadnego formularza do zapisania")));
    checkEveryDocument(batch);
    PartQueue queue(batch, false);
    PdfAssembler assembler;
    QStringList editionLabels;
    QString onlyTaxpayer;
    int taken = 0;
    JoinedPiece next = JoinedPiece::Start;
    QByteArray piece;
    const auto nextPiece = [&]() -> std::string_view {
        switch (next) {
        case JoinedPiece::Start:
            piece = assembler.begin();
            next = queue.parts() > 0 ? JoinedPiece::Parts : JoinedPiece::End;
            break;
        case JoinedPiece::Parts: {
            const DrawnPart drawn = queue.takeNext();
            for (const DrawnDocument& document : drawn.documents) {
                if (!editionLabels.contains(document.editionLabel)) editionLabels << document.editionLabel;
                onlyTaxpayer = document.taxpayer;
            }
            piece = assembler.append(drawn.pdf);
            if (++taken == queue.parts()) next = JoinedPiece::End;
            if (batch.progress) batch.progress(std::min(batch.count, queue.firstOf(taken)));
            break;
        }
        case JoinedPiece::End:
            piece = assembler.finish(FormPdfTitle(editionLabels, batch.count, batch.count == 1 ? onlyTaxpayer : QString()),
                                     kCreator);
            next = JoinedPiece::Done;
            break;
        case JoinedPiece::Done:
            piece.clear();
            break;
        }
        return {piece.constData(), static_cast<std::size_t>(piece.size())};
    };
    if (!batch.seal) {
        WriteFileAtomically(path, nextPiece);
        return;
    }
    // A signature covers the whole file: it is made in memory, signed, then written.
    QByteArray whole;
    for (std::string_view bytes = nextPiece(); !bytes.empty(); bytes = nextPiece())
        whole.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (batch.invisibleSignature) whole = WithSignatureFont(whole);
    try {
        whole = batch.seal(-1, whole, QByteArray());
    } catch (const std::exception& failure) {
        throw SealingStopped(QStringLiteral("%1 Nie zapisano pliku „%2”.").arg(QString::fromUtf8(failure.what()), path));
    }
    WriteFileAtomically(path, std::string_view(whole.constData(), static_cast<std::size_t>(whole.size())));
}

int WriteEachFormPdf(const FormPdfBatch& batch) {
    checkEveryDocument(batch);
    PartQueue queue(batch, true);
    // Names made by the program: a link planted at one is replaced, not written through.
    FileSetWriter files(FileWriteOptions{true, std::nullopt});
    QString folder;
    QString current;  // the file being named when a failure comes
    try {
        for (int part = 0; part < queue.parts(); ++part) {
            const DrawnPart drawn = queue.takeNext();
            std::vector<QString> staged;
            std::deque<QByteArray> sealed;  // staged bytes live until they are committed
            std::size_t file = 0;
            for (std::size_t i = 0; i < drawn.documents.size(); ++i) {
                const DrawnDocument& document = drawn.documents[i];
                if (!getsOwnFile(document.outcome)) continue;
                const QString& path = document.path;
                if (folder.isEmpty()) folder = QFileInfo(path).absolutePath();
                current = path;
                const QByteArray* bytes = &drawn.files[file++];
                if (batch.seal) {
                    try {
                        sealed.push_back(batch.seal(queue.firstOf(part) + static_cast<int>(i), *bytes, document.password));
                    } catch (const std::exception& failure) {
                        files.commit();  // the files sealed before this one are whole
                        throw SealingStopped(QStringLiteral("%1 Zapisano %2 z %3 %4 PDF w katalogu „%5”; zatrzymano na pliku „%6”.")
                                                 .arg(QString::fromUtf8(failure.what()))
                                                 .arg(files.committed())
                                                 .arg(batch.count)
                                                 .arg(PolishPlural(batch.count, QStringLiteral("pliku"),
                                                                   QStringLiteral("plików"), QStringLiteral("plików")),
                                                      QDir::toNativeSeparators(folder), QFileInfo(path).fileName()));
                    }
                    bytes = &sealed.back();
                }
                files.stage(path, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
                staged.push_back(path);
            }
            const int before = files.committed();
            try {
                files.commit();
            } catch (const FileError&) {
                const std::size_t at = static_cast<std::size_t>(files.committed() - before);
                if (at < staged.size()) current = staged[at];
                throw;
            }
            if (batch.progress) batch.progress(std::min(batch.count, queue.firstOf(part + 1)));
        }
    } catch (const FileError& failure) {
        const int written = files.committed();
        throw FileError(QStringLiteral("%1 Zapisano %2 w katalogu „%3”; zapis zatrzymał się na pliku „%4”.")
                            .arg(failure.message(), filesText(written), QDir::toNativeSeparators(folder),
                                 QFileInfo(current).fileName()));
    }
    return files.committed();
}
