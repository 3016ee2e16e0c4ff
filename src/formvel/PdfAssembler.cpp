#include "formvel/PdfAssembler.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <stdexcept>

namespace {

constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kInformation = 3;
// The procedure sets of the joined file's page tree, as Qt writes them for every part.
constexpr char kProcSet[] = "/ProcSet [/PDF /Text /ImageB /ImageC]";

[[noreturn]] void malformed(const char* what) {
    throw std::runtime_error(std::string("Część pliku PDF ma nieoczekiwaną postać (") + what + ").");
}

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool isDelimiter(char c) {
    return isSpace(c) || c == '/' || c == '[' || c == ']' || c == '<' || c == '>' || c == '(' || c == ')' ||
           c == '{' || c == '}' || c == '%';
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

// One token of a PDF object: what the joiner needs to tell apart to renumber references safely.
struct Token {
    enum Kind { Name, Number, String, Open, Close, Word, End } kind = End;
    qsizetype start = 0;
    qsizetype end = 0;
};

// The tokens of [at, to). A string is one token, so nothing in it is ever taken for a reference.
class Tokens {
public:
    Tokens(const QByteArray& text, qsizetype from, qsizetype to) : text_(&text), at_(from), to_(to) {}

    Token next() {
        while (at_ < to_ && isSpace((*text_)[at_])) ++at_;
        Token token;
        token.start = at_;
        if (at_ >= to_) return token;
        const char c = (*text_)[at_];
        if (c == '%') malformed("komentarz");
        if (c == '(') {
            literalString();
            token.kind = Token::String;
        } else if (c == '<' && at_ + 1 < to_ && (*text_)[at_ + 1] == '<') {
            at_ += 2;
            token.kind = Token::Open;
        } else if (c == '>' && at_ + 1 < to_ && (*text_)[at_ + 1] == '>') {
            at_ += 2;
            token.kind = Token::Close;
        } else if (c == '<') {
            const qsizetype close = text_->indexOf('>', at_);
            if (close < 0 || close >= to_) malformed("napis");
            at_ = close + 1;
            token.kind = Token::String;
        } else if (c == '[' || c == ']') {
            ++at_;
            token.kind = c == '[' ? Token::Open : Token::Close;
        } else if (c == '/') {
            ++at_;
            while (at_ < to_ && !isDelimiter((*text_)[at_])) ++at_;
            token.kind = Token::Name;
        } else if (c == ')' || c == '>' || c == '{' || c == '}') {
            malformed("znak poza napisem");
        } else {
            bool numeric = true;
            while (at_ < to_ && !isDelimiter((*text_)[at_])) {
                const char d = (*text_)[at_++];
                numeric = numeric && (isDigit(d) || d == '.' || d == '-' || d == '+');
            }
            token.kind = numeric ? Token::Number : Token::Word;
        }
        token.end = at_;
        return token;
    }

private:
    // A literal string, its balanced parentheses and escapes included. Text in it that reads as a
    // reference is refused: Qt never writes one, and the joiner would not guess what it means.
    void literalString() {
        const qsizetype start = at_;
        int depth = 0;
        do {
            if (at_ >= to_) malformed("napis");
            const char c = (*text_)[at_++];
            if (c == '\\')
                ++at_;
            else if (c == '(')
                ++depth;
            else if (c == ')')
                --depth;
        } while (depth > 0);
        static const QRegularExpression reference(QStringLiteral(R"(\d+\s+\d+\s+R\b)"));
        if (reference.match(QString::fromLatin1(text_->mid(start, at_ - start))).hasMatch()) malformed("odwołanie w napisie");
    }

    const QByteArray* text_;
    qsizetype at_;
    qsizetype to_;
};

qint64 numberOf(const QByteArray& text, const Token& token) {
    qsizetype at = token.start;
    const qint64 value = readNumber(text, at);
    if (at != token.end) malformed("liczba");
    return value;
}

bool isWord(const QByteArray& text, const Token& token, const char* word) {
    return token.kind == Token::Word && text.mid(token.start, token.end - token.start) == word;
}

// Calls `visit(start, end, number)` for every reference "N 0 R" within [from, to), up to the
// keyword "stream" when `stream` is given (where it stands goes there; `to` when there is none).
// A reference of another generation is refused: a Qt PDF has none, and renumbering it would
// silently point elsewhere.
template <typename Visit>
void forEachReference(const QByteArray& text, qsizetype from, qsizetype to, Visit visit, qsizetype* stream = nullptr) {
    Tokens tokens(text, from, to);
    Token before[2];
    if (stream) *stream = to;
    for (Token token = tokens.next(); token.kind != Token::End; token = tokens.next()) {
        if (stream && isWord(text, token, "stream")) {
            *stream = token.start;
            return;
        }
        if (isWord(text, token, "R")) {
            if (before[0].kind != Token::Number || before[1].kind != Token::Number) malformed("odwołanie");
            if (numberOf(text, before[1]) != 0) malformed("pokolenie obiektu inne niż 0");
            const qint64 number = numberOf(text, before[0]);
            if (number <= 0 || number > std::numeric_limits<int>::max()) malformed("odwołanie");
            visit(before[0].start, token.end, static_cast<int>(number));
        }
        before[0] = before[1];
        before[1] = token;
    }
}

// The keys of the dictionary that starts at `from` (its "<<"), in their order.
std::vector<QByteArray> dictionaryKeys(const QByteArray& text, qsizetype from, qsizetype to) {
    Tokens tokens(text, from, to);
    const Token open = tokens.next();
    if (open.kind != Token::Open || text[open.start] != '<') malformed("słownik");
    std::vector<QByteArray> keys;
    for (;;) {
        const Token key = tokens.next();
        if (key.kind == Token::Close) return keys;
        if (key.kind != Token::Name) malformed("klucz słownika");
        keys.push_back(text.mid(key.start, key.end - key.start));
        const Token value = tokens.next();
        if (value.kind == Token::End || value.kind == Token::Close) malformed("słownik");
        if (value.kind == Token::Open) {
            for (int depth = 1; depth > 0;) {
                const Token inner = tokens.next();
                if (inner.kind == Token::End) malformed("słownik");
                if (inner.kind == Token::Open) ++depth;
                if (inner.kind == Token::Close) --depth;
            }
        } else if (value.kind == Token::Number) {
            Tokens ahead = tokens;  // "N 0 R" is one value
            const Token generation = ahead.next();
            if (generation.kind == Token::Number && isWord(text, ahead.next(), "R")) tokens = ahead;
        }
    }
}

// Refuses a dictionary holding a key the joiner would drop or does not know.
void onlyKeys(const QByteArray& text, qsizetype from, qsizetype to, std::initializer_list<const char*> known,
              const char* what) {
    for (const QByteArray& key : dictionaryKeys(text, from, to))
        if (std::none_of(known.begin(), known.end(), [&](const char* name) { return key == name; })) malformed(what);
}

// The object number of the reference that follows `key` at or after `from`.
int referenceAfter(const QByteArray& text, const char* key, qsizetype from, qsizetype to) {
    const qsizetype at = text.indexOf(key, from);
    if (at < 0 || at >= to) malformed(key);
    int number = -1;
    forEachReference(text, at + qstrlen(key), to, [&](qsizetype, qsizetype, int n) {
        if (number < 0) number = n;
    });
    if (number < 0) malformed(key);
    return number;
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
        const qint64 generation = readNumber(part, at);
        while (at < part.size() && isSpace(part[at])) ++at;
        if (at >= part.size()) malformed("xref");
        const char kind = part[at++];
        if (kind == 'n' && number > 0) {
            if (generation != 0) malformed("pokolenie obiektu inne niż 0");
            if (offset <= 0 || offset >= xref) malformed("xref");
            objects.push_back({static_cast<int>(number), offset, 0});
        }
    }
    const qsizetype trailer = part.indexOf("trailer", at);
    if (trailer < 0 || trailer > startxref) malformed("trailer");
    // What the joiner drops from a part must be only what it writes anew for the whole file.
    onlyKeys(part, trailer + 7, startxref, {"/Size", "/Root", "/Info"}, "klucze zakończenia pliku");
    const int root = referenceAfter(part, "/Root", trailer, startxref);
    const int information = referenceAfter(part, "/Info", trailer, startxref);

    std::sort(objects.begin(), objects.end(), [](const PartObject& a, const PartObject& b) { return a.offset < b.offset; });
    for (std::size_t i = 0; i < objects.size(); ++i) objects[i].end = i + 1 < objects.size() ? objects[i + 1].offset : xref;
    auto objectOf = [&](int number) -> const PartObject& {
        for (const PartObject& object : objects)
            if (object.number == number) return object;
        malformed("obiekt");
    };
    auto dictionaryOf = [&](const PartObject& object) {
        const QByteArray header = QByteArray::number(object.number) + " 0 obj";
        if (part.mid(object.offset, header.size()) != header) malformed("nagłówek obiektu");
        return object.offset + header.size();
    };
    const PartObject& catalog = objectOf(root);
    onlyKeys(part, dictionaryOf(catalog), catalog.end, {"/Type", "/Pages"}, "klucze katalogu");
    const int pageTree = referenceAfter(part, "/Pages", catalog.offset, catalog.end);
    const PartObject& tree = objectOf(pageTree);
    onlyKeys(part, dictionaryOf(tree), tree.end, {"/Type", "/Kids", "/Count", "/ProcSet"}, "klucze drzewa stron");
    const qsizetype procSet = part.indexOf("/ProcSet", tree.offset);
    if (procSet >= 0 && procSet < tree.end && part.indexOf(kProcSet, procSet) != procSet) malformed("/ProcSet");

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
    // Pages only: a page tree of more levels would lose its inner nodes' inherited keys.
    static const QRegularExpression page(QStringLiteral(R"(/Type\s*/Page(?![A-Za-z]))"));
    forEachReference(part, kids, kidsEnd + 1, [&](qsizetype, qsizetype, int number) {
        const PartObject& kid = objectOf(number);
        if (!page.match(QString::fromLatin1(part.mid(kid.offset, kid.end - kid.offset))).hasMatch()) malformed("/Kids");
        pages_.push_back(newNumber(number));
    });

    QByteArray out;
    out.reserve(part.size());
    for (const PartObject& object : objects) {
        if (renumbered[static_cast<std::size_t>(object.number)] == 0 || object.number == pageTree) continue;
        const qsizetype dictionary = dictionaryOf(object);
        const int number = newNumber(object.number);
        startObject(number, out);
        out += QByteArray::number(number) + " 0 obj";
        qsizetype copied = dictionary;
        qsizetype stream = object.end;  // stream data is copied as it is
        forEachReference(
            part, dictionary, object.end,
            [&](qsizetype start, qsizetype end, int referenced) {
                out.append(part.constData() + copied, start - copied);
                out += QByteArray::number(newNumber(referenced)) + " 0 R";
                copied = end;
            },
            &stream);
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
           "\n" + kProcSet + "\n>>\nendobj\n";
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
