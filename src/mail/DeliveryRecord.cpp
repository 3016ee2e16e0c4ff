#include "mail/DeliveryRecord.h"

#include "forms/SemicolonList.h"
#include "store/AtomicFileWriter.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/WholeFileReader.h"

#include <QStringList>

namespace {

const QStringList& headerFields() {
    static const QStringList fields{QStringLiteral("Lp"),         QStringLiteral("Nazwisko"),
                                    QStringLiteral("Imię"),       QStringLiteral("Adres"),
                                    QStringLiteral("Plik"),       QStringLiteral("SHA-256 pliku"),
                                    QStringLiteral("Message-ID"), QStringLiteral("Czas (yyyy-mm-dd hh:mm:ss)"),
                                    QStringLiteral("Odpowiedź serwera"), QStringLiteral("Stan")};
    return fields;
}

// The fields of one line as SemicolonListLine wrote them; the apostrophe put before a text a
// spreadsheet would take for a formula is taken off again. False for an unclosed quote.
bool splitLine(const QString& text, qsizetype& at, QStringList& fields) {
    fields.clear();
    QString field;
    bool quoted = false;
    const auto take = [&] {
        if (field.size() > 1 && field.front() == u'\'' && QStringLiteral("=+-@").contains(field[1])) field.remove(0, 1);
        fields << field;
        field.clear();
    };
    for (; at < text.size(); ++at) {
        const QChar c = text[at];
        if (quoted) {
            if (c == u'"') {
                if (at + 1 < text.size() && text[at + 1] == u'"') {
                    field += u'"';
                    ++at;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == u'"' && field.isEmpty()) {
            quoted = true;
        } else if (c == u';') {
            take();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n') ++at;
            ++at;
            take();
            return true;
        } else {
            field += c;
        }
    }
    if (quoted) return false;
    take();
    return true;
}

}  // namespace

QString DeliveryStateText(DeliveryState state) {
    switch (state) {
    case DeliveryState::Sent: return QStringLiteral("wysłano");
    case DeliveryState::Refused: return QStringLiteral("odrzucono");
    case DeliveryState::Uncertain: return QStringLiteral("niepewne");
    case DeliveryState::NotSent: break;
    }
    return QStringLiteral("nie wysłano");
}

std::optional<DeliveryState> DeliveryStateFromText(const QString& text) {
    for (const DeliveryState state : {DeliveryState::Sent, DeliveryState::Refused, DeliveryState::Uncertain, DeliveryState::NotSent})
        if (text == DeliveryStateText(state)) return state;
    return std::nullopt;
}

QString DeliveryRecordHeader() { return headerFields().join(u';'); }

QByteArray DeliveryRecordLine(const DeliveryRow& row) {
    const std::string bytes = cp1250::fromUnicode(
        SemicolonListLine({QString::number(row.position), row.surname, row.firstName, row.address, row.file, row.sha256,
                           row.messageId, row.time, row.reply, DeliveryStateText(row.state)}));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray DeliveryRecordHeaderLine() {
    const std::string bytes = cp1250::fromUnicode(SemicolonListLine(headerFields()));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray DeliveryRecordText(const std::vector<DeliveryRow>& rows) {
    QByteArray text = DeliveryRecordHeaderLine();
    for (const DeliveryRow& row : rows) text += DeliveryRecordLine(row);
    return text;
}

std::optional<std::vector<DeliveryRow>> ParseDeliveryRecord(const QByteArray& bytes, QString* problem) {
    const QString text = cp1250::toUnicode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    const auto fail = [problem](const QString& why) -> std::optional<std::vector<DeliveryRow>> {
        if (problem) *problem = why;
        return std::nullopt;
    };
    qsizetype at = 0;
    QStringList fields;
    if (!splitLine(text, at, fields) || fields != headerFields())
        return fail(QStringLiteral("pierwszy wiersz nie jest nagłówkiem zapisu wysyłki (%1)").arg(DeliveryRecordHeader()));
    std::vector<DeliveryRow> rows;
    for (int line = 2; at < text.size(); ++line) {
        if (!splitLine(text, at, fields)) return fail(QStringLiteral("wiersz %1 ma niezamknięty cudzysłów").arg(line));
        if (fields.size() == 1 && fields.front().isEmpty()) continue;
        if (fields.size() != headerFields().size())
            return fail(QStringLiteral("wiersz %1 ma %2 pól zamiast %3").arg(line).arg(fields.size()).arg(headerFields().size()));
        DeliveryRow row;
        bool number = false;
        row.position = fields[0].toInt(&number);
        if (!number || row.position < 1) return fail(QStringLiteral("wiersz %1: Lp „%2” nie jest numerem").arg(line).arg(fields[0]));
        const std::optional<DeliveryState> state = DeliveryStateFromText(fields[9]);
        if (!state) return fail(QStringLiteral("wiersz %1: nieznany stan „%2”").arg(line).arg(fields[9]));
        row.surname = fields[1];
        row.firstName = fields[2];
        row.address = fields[3];
        row.file = fields[4];
        row.sha256 = fields[5];
        row.messageId = fields[6];
        row.time = fields[7];
        row.reply = fields[8];
        row.state = *state;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<DeliveryRow> ReadDeliveryRecord(const QString& path) {
    const std::optional<std::string> bytes = ReadWholeFile(path, 256 * 1024 * 1024);
    if (!bytes) throw FileError(QStringLiteral("Nie można odczytać zapisu wysyłki „%1”.").arg(path));
    QString problem;
    std::optional<std::vector<DeliveryRow>> rows =
        ParseDeliveryRecord(QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size())), &problem);
    if (!rows) throw FileError(QStringLiteral("Plik „%1” nie jest zapisem wysyłki: %2.").arg(path, problem));
    return std::move(*rows);
}

void WriteDeliveryRecord(const QString& path, const std::vector<DeliveryRow>& rows) {
    std::vector<QByteArray> lines;
    lines.reserve(rows.size());
    for (const DeliveryRow& row : rows) lines.push_back(DeliveryRecordLine(row));
    WriteDeliveryRecordLines(path, lines);
}

void WriteDeliveryRecordLines(const QString& path, const std::vector<QByteArray>& lines) {
    QByteArray text = DeliveryRecordHeaderLine();
    qsizetype size = text.size();
    for (const QByteArray& line : lines) size += line.size();
    text.reserve(size);
    for (const QByteArray& line : lines) text += line;
    WriteFileAtomically(path, std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                        FileWriteOptions{false, mode_t(0600)});
}
