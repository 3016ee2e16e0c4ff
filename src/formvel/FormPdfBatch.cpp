#include "formvel/FormPdfBatch.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/FormRenderer.h"
#include "formvel/OrderedWorkers.h"
#include "formvel/PdfAssembler.h"
#include "store/AtomicFileWriter.h"
#include "store/FileErrorText.h"
#include "store/FileErrors.h"

#include <QHashSeed>

#include <algorithm>
#include <memory>
#include <set>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

struct DrawnDocument {
    FormPdfOutcome outcome;
    QString editionLabel;
    QString taxpayer;
};

struct Part {
    std::vector<FormPdfSource> sources;
};

struct DrawnPart {
    std::vector<DrawnDocument> documents;
    QByteArray pdf;
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
    return document;
}

DrawnPart drawPart(Part& part) {
    DrawnPart drawn;
    std::vector<std::unique_ptr<FormDocument>> documents;
    std::vector<FormPdfPages> pages;
    drawn.documents.resize(part.sources.size());
    for (std::size_t i = 0; i < part.sources.size(); ++i) {
        documents.push_back(makeDocument(part.sources[i], drawn.documents[i]));
        pages.push_back({documents.back().get(), 1, documents.back()->pageCount()});
    }
    drawn.pdf = RenderFormsPdf(pages, QString());
    return drawn;
}

DrawnDocument drawOwnFile(FormPdfSource& source) {
    DrawnDocument drawn;
    const std::unique_ptr<FormDocument> document = makeDocument(source, drawn);
    if (!drawn.outcome.accepted || !drawn.outcome.calculationFailure.isEmpty()) return drawn;
    const QByteArray pdf =
        RenderFormsPdf({{document.get(), 1, document->pageCount()}}, FormPdfTitle({document.get()}));
    WriteFileAtomically(source.path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
    return drawn;
}

// The worker threads for `tasks` tasks: none for one job (the caller's thread draws).
int threadsFor(int jobs, int tasks) { return jobs <= 1 ? 0 : std::min(jobs, tasks); }

// Tasks given ahead of the one whose result is awaited: enough to keep every thread busy.
std::size_t windowFor(int jobs) { return 2 * static_cast<std::size_t>(std::max(1, jobs)); }

// Qt's PDF writer lists a document's fonts in the order of a hash table, whose seed is random per
// process: with a fixed seed the same documents give the same bytes in every run, on any number of
// threads. Set before the threads start; tables made earlier keep their own seeds.
void fixHashSeed() { QHashSeed::setDeterministicGlobalSeed(); }

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

}  // namespace

int DocumentsPerPart(int count) { return std::clamp(count / 32, 8, 64); }

void WriteFormsPdfBatch(const QString& path, const FormPdfBatch& batch) {
    if (batch.count <= 0)
        throw FileError(file_error_text::cannotWrite(path, QStringLiteral("nie ma żadnego formularza do zapisania")));
    const int perPart = DocumentsPerPart(batch.count);
    const int parts = (batch.count + perPart - 1) / perPart;
    fixHashSeed();
    DrawingPreparation preparation;
    int given = 0;
    auto giveParts = [&](OrderedWorkers<Part, DrawnPart>& workers) {
        while (given < parts && workers.outstanding() < windowFor(batch.jobs)) {
            Part part;
            for (int index = given * perPart; index < std::min(batch.count, (given + 1) * perPart); ++index) {
                part.sources.push_back(batch.source(index));
                preparation.prepare(part.sources.back().symbol);
            }
            workers.submit(std::move(part));
            ++given;
        }
    };

    OrderedWorkers<Part, DrawnPart> workers(threadsFor(batch.jobs, parts), drawPart);
    PdfAssembler assembler;
    QStringList editionLabels;
    QString onlyTaxpayer;
    int taken = 0;
    bool started = false;
    bool finished = false;
    QByteArray piece;
    WriteFileAtomically(path, [&]() -> std::string_view {
        if (!started) {
            started = true;
            piece = assembler.begin();
        } else if (taken < parts) {
            giveParts(workers);
            const DrawnPart drawn = workers.takeNext();
            giveParts(workers);
            for (std::size_t i = 0; i < drawn.documents.size(); ++i) {
                const DrawnDocument& document = drawn.documents[i];
                batch.drawn(taken * perPart + static_cast<int>(i), document.outcome);
                if (!editionLabels.contains(document.editionLabel)) editionLabels << document.editionLabel;
                onlyTaxpayer = document.taxpayer;
            }
            piece = assembler.append(drawn.pdf);
            ++taken;
        } else if (!finished) {
            finished = true;
            piece = assembler.finish(FormPdfTitle(editionLabels, batch.count, batch.count == 1 ? onlyTaxpayer : QString()),
                                     QStringLiteral("Fiskon – formularze"));
        } else {
            piece.clear();
        }
        return {piece.constData(), static_cast<std::size_t>(piece.size())};
    });
}

void WriteEachFormPdf(const FormPdfBatch& batch) {
    fixHashSeed();
    DrawingPreparation preparation;
    int given = 0;
    OrderedWorkers<FormPdfSource, DrawnDocument> workers(threadsFor(batch.jobs, batch.count), drawOwnFile);
    for (int taken = 0; taken < batch.count; ++taken) {
        while (given < batch.count && workers.outstanding() < windowFor(batch.jobs)) {
            FormPdfSource source = batch.source(given++);
            preparation.prepare(source.symbol);
            workers.submit(std::move(source));
        }
        batch.drawn(taken, workers.takeNext().outcome);
    }
}
