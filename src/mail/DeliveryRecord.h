#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The delivery record of a batch of messages: one row per taxpayer, what became of the message,
// so that the payer can show that each form was delivered, and a stopped batch can be resumed
// without sending anybody a second message. A semicolon list in code page 1250 (what Polish
// spreadsheets open), rewritten through the program's writer after every message:
// Lp;Nazwisko;Imię;Adres;Plik;SHA-256 pliku;Message-ID;Czas (yyyy-mm-dd hh:mm:ss);Odpowiedź serwera;Stan

// "wysłano": the server accepted the message (its reply kept); "odrzucono": it refused it (the
// reply kept); "niepewne": the message was handed over but no reply came (or the program was
// stopped meanwhile); "nie wysłano": not handed over.
enum class DeliveryState { Sent, Refused, Uncertain, NotSent };

// "wysłano", "odrzucono", "niepewne", "nie wysłano".
QString DeliveryStateText(DeliveryState state);
std::optional<DeliveryState> DeliveryStateFromText(const QString& text);

struct DeliveryRow {
    int position = 0;  // Lp: the taxpayer's record number in the register
    QString surname;
    QString firstName;
    QString address;
    QString file;       // the attachment's name
    QString sha256;     // of the attached file, lowercase hex
    QString messageId;  // "<…@firma.pl>"
    QString time;       // "yyyy-MM-dd hh:mm:ss", local time of the last attempt
    QString reply;      // the server's last reply to the message
    DeliveryState state = DeliveryState::NotSent;
};

// The first line of the record.
QString DeliveryRecordHeader();

// The record as written: the header and the rows, CR LF, code page 1250; a value holding a
// semicolon, a quote or a line end is quoted, its quotes doubled.
QByteArray DeliveryRecordText(const std::vector<DeliveryRow>& rows);

// One row as a line of the record (code page 1250, CR LF), and the header's line: a batch keeps
// each row's line and makes it again only when the row changes.
QByteArray DeliveryRecordLine(const DeliveryRow& row);
QByteArray DeliveryRecordHeaderLine();

// The rows of a record's text; std::nullopt with `problem` set (Polish, naming the line) for text
// that is not such a record.
std::optional<std::vector<DeliveryRow>> ParseDeliveryRecord(const QByteArray& text, QString* problem);

// Reads the record at `path`; throws FileError for a file that cannot be read or is not a record.
std::vector<DeliveryRow> ReadDeliveryRecord(const QString& path);

// Writes the record through the program's writer (file mode 0600: it names people and addresses);
// throws FileError.
void WriteDeliveryRecord(const QString& path, const std::vector<DeliveryRow>& rows);
// The same from the rows' lines (DeliveryRecordLine), the header put before them.
void WriteDeliveryRecordLines(const QString& path, const std::vector<QByteArray>& lines);
