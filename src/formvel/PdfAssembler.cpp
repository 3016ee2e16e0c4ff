#include "formvel/PdfAssembler.h"

#include <QDateTime>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kInformation = 3;

[[noreturn]] void malformed(const char* what) {
    throw std::runtime_error(std::string("Część pliku PDF ma nieoczekiwaną postać (") + what + ").");
}

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool isDelimiter(char c) {
    return isSpace(c) || c == '/' || c == '[' || c == ']' || c == '<' || c == '>' || c == '(' || c == ')';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The unsigned number at `at` (blanks before it skipped); `at` moves past it.
qint64 readNumber(const QByteArray& text, qsizetype& at) {
    while (at < text.size() && isSpace(text[at])) ++at;
    const qsizetype start = at;
    qint64 value = 0;
    while (at < text.size() && isDigit(text[at]) && at - start < 12) value = value * 10 + (text[at++] - '0');
    if (at == start) malformed("brak liczby");
    return value;
}

// Calls `visit(start, end, number)` for every reference "N 0 R" within [from, to).
template <typename Visit>
void forEachReference(const QByteArray& text, qsizetype from, qsizetype to, Visit visit) {
    qsizetype at = from;
    for (;;) {
        const qsizetype mark = text.indexOf(" 0 R", at);
        if (mark < 0 || mark + 4 > to) return;
        const qsizetype end = mark + 4;
        qsizetype start = mark;
        while (start > from && isDigit(text[start - 1])) --start;
        const bool whole = start < mark && (start == from || isDelimiter(text[start - 1])) &&
                           (end == text.size() || isDelimiter(text[end]));
        if (whole) {
            qsizetype digits = start;
            visit(start, end, static_cast<int>(readNumber(text, digits)));
        }
        at = end;
    }
}

// The object number of the reference that follows `key` at or after `from`.
int referenceAfter(const QByteArray& text, const char* key, qsizetype from, qsizetype to) {
    const qsizetype at = text.indexOf(key, from);
    if (at < 0 || at >= to) malformed(key);
    int number = -1;
    forEachReference(text, at, to, [&](qsizetype, qsizetype, int n) {
        if (number < 0) number = n;
    });
    if (number < 0) malformed(key);
    return number;
}

// Where the keyword "stream" that starts an object's data stands, -1 when it has none.
qsizetype streamKeyword(const QByteArray& text, qsizetype from, qsizetype to) {
    for (qsizetype at = text.indexOf("stream", from); at >= 0 && at < to; at = text.indexOf("stream", at + 6)) {
        const bool before = at > from && (isSpace(text[at - 1]) || text[at - 1] == '>');
        const bool after = at + 6 < to && (text[at + 6] == '\n' || text[at + 6] == '\r');
        if (before && after) return at;
    }
    return -1;
}

// A text string of the document information: UTF-16 with its byte-order mark, in hexadecimal.
QByteArray pdfText(const QString& text) {
    QByteArray bytes("<FEFF");
    for (const QChar c : text) bytes += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return bytes + '>';
}

struct PartObject {
    int number = 0;
    qint64 offset = 0;
    qint64 end = 0;
};

}  // namespace

void PdfAssembler::startObject(int number, const QByteArray& out) {
    if (offsets_.size() <= static_cast<std::size_t>(number)) offsets_.resize(static_cast<std::size_t>(number) + 1);
    offsets_[static_cast<std::size_t>(number)] = written_ + out.size();
}

QByteArray PdfAssembler::begin() {
    written_ = 0;
    offsets_.assign(kInformation + 1, 0);
    pages_.clear();
    QByteArray out("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    startObject(kCatalog, out);
    out += "1 0 obj\n<<\n/Type /Catalog\n/Pages 2 0 R\n>>\nendobj\n";
    written_ += out.size();
    return out;
}

QByteArray PdfAssembler::append(const QByteArray& part) {
    // The cross-reference table: where each object of the part starts.
    const qsizetype startxref = part.lastIndexOf("startxref");
    if (startxref < 0) malformed("startxref");
    qsizetype at = startxref + 9;
    const qint64 xref = readNumber(part, at);
    if (xref <= 0 || xref >= part.size() || !part.mid(xref, 4).startsWith("xref")) malformed("xref");
    at = xref + 4;
    if (readNumber(part, at) != 0) malformed("xref");
    const qint64 count = readNumber(part, at);
    if (count < 2 || count > part.size()) malformed("xref");
    std::vector<PartObject> objects;
    for (qint64 number = 0; number < count; ++number) {
        const qint64 offset = readNumber(part, at);
        readNumber(part, at);  // generation
        while (at < part.size() && isSpace(part[at])) ++at;
        if (at >= part.size()) malformed("xref");
        const char kind = part[at++];
        if (kind == 'n' && number > 0) {
            if (offset <= 0 || offset >= xref) malformed("xref");
            objects.push_back({static_cast<int>(number), offset, 0});
        }
    }
    const qsizetype trailer = part.indexOf("trailer", at);
    if (trailer < 0) malformed("trailer");
    const int root = referenceAfter(part, "/Root", trailer, startxref);
    const int information = referenceAfter(part, "/Info", trailer, startxref);

    std::sort(objects.begin(), objects.end(), [](const PartObject& a, const PartObject& b) { return a.offset < b.offset; });
    for (std::size_t i = 0; i < objects.size(); ++i) objects[i].end = i + 1 < objects.size() ? objects[i + 1].offset : xref;
    auto objectOf = [&](int number) -> const PartObject& {
        for (const PartObject& object : objects)
            if (object.number == number) return object;
        malformed("obiekt");
    };
    const PartObject& catalog = objectOf(root);
    const int pageTree = referenceAfter(part, "/Pages", catalog.offset, catalog.end);
    const PartObject& tree = objectOf(pageTree);

    // New numbers: the part's objects in their order, past those written; its page tree is the
    // joined file's one.
    std::vector<int> renumbered(static_cast<std::size_t>(count), 0);
    std::vector<int> kept;
    for (const PartObject& object : objects)
        if (object.number != root && object.number != information && object.number != pageTree) kept.push_back(object.number);
    std::sort(kept.begin(), kept.end());
    int next = static_cast<int>(offsets_.size());
    for (const int number : kept) renumbered[static_cast<std::size_t>(number)] = next++;
    renumbered[static_cast<std::size_t>(pageTree)] = kPageTree;
    auto newNumber = [&](int number) {
        const int mapped = number > 0 && number < count ? renumbered[static_cast<std::size_t>(number)] : 0;
        if (mapped == 0) malformed("odwołanie");
        return mapped;
    };

    const qsizetype kids = part.indexOf("/Kids", tree.offset);
    const qsizetype kidsEnd = kids < 0 ? -1 : part.indexOf(']', kids);
    if (kids < 0 || kidsEnd < 0 || kidsEnd >= tree.end) malformed("/Kids");
    forEachReference(part, kids, kidsEnd + 1, [&](qsizetype, qsizetype, int number) { pages_.push_back(newNumber(number)); });

    QByteArray out;
    out.reserve(part.size());
    for (const PartObject& object : objects) {
        if (renumbered[static_cast<std::size_t>(object.number)] == 0 || object.number == pageTree) continue;
        const QByteArray header = QByteArray::number(object.number) + " 0 obj";
        if (part.mid(object.offset, header.size()) != header) malformed("nagłówek obiektu");
        const int number = newNumber(object.number);
        startObject(number, out);
        out += QByteArray::number(number) + " 0 obj";
        const qsizetype dictionary = object.offset + header.size();
        const qsizetype stream = streamKeyword(part, dictionary, object.end);
        const qsizetype dictionaryEnd = stream < 0 ? object.end : stream;
        qsizetype copied = dictionary;
        forEachReference(part, dictionary, dictionaryEnd, [&](qsizetype start, qsizetype end, int referenced) {
            out.append(part.constData() + copied, start - copied);
            out += QByteArray::number(newNumber(referenced)) + " 0 R";
            copied = end;
        });
        out.append(part.constData() + copied, object.end - copied);
    }
    written_ += out.size();
    return out;
}

QByteArray PdfAssembler::finish(const QString& title, const QString& creator) {
    QByteArray out;
    startObject(kPageTree, out);
    out += "2 0 obj\n<<\n/Type /Pages\n/Kids \n[\n";
    for (const int page : pages_) out += QByteArray::number(page) + " 0 R\n";
    out += "]\n/Count " + QByteArray::number(static_cast<qsizetype>(pages_.size())) +
           "\n/ProcSet [/PDF /Text /ImageB /ImageC]\n>>\nendobj\n";
    startObject(kInformation, out);
    out += "3 0 obj\n<<\n/Title " + pdfText(title) + "\n/Creator " + pdfText(creator) + "\n/Producer " +
           pdfText(QStringLiteral("Qt %1").arg(QString::fromLatin1(qVersion()))) + "\n/CreationDate (D:" +
           QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z)\n>>\nendobj\n";

    const qint64 xref = written_ + out.size();
    out += "xref\n0 " + QByteArray::number(static_cast<qsizetype>(offsets_.size())) + "\n0000000000 65535 f \n";
    for (std::size_t number = 1; number < offsets_.size(); ++number)
        out += QByteArray::number(offsets_[number]).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<<\n/Size " + QByteArray::number(static_cast<qsizetype>(offsets_.size())) +
           "\n/Info 3 0 R\n/Root 1 0 R\n>>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    written_ += out.size();
    return out;
}
