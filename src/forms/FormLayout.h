#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// What one edition of a form consists of: its boxes (number, caption, kind, section, place in the
// section's rows), its sections in page order, the amount table and the title. The renderer, the
// validation and the calculation all read this description; nothing about a box is written twice.

enum class BoxKind {
    Text,         // free text
    Nip,          // ten digits, hyphens allowed
    Date,         // dd-mm-yyyy
    BirthDate,    // dd-mm yyyy (day-month, a space, the year)
    PostalCode,   // 00-000
    TaxYear,      // yyyy
    Amount,       // money with grosze
    WholeAmount,  // money in whole złoty
    Choice,       // coded: n digits, a "1" in position k + 1 ticks the k-th choice, position 1 means none
    Tick,         // coded single square: "01" ticked, "00" or empty not
    TitleStrike,  // coded like Tick: "01" strikes out one of the two titles
};

struct FormBox {
    QByteArray key;       // name in the field list: "p19", "pSKR.01"
    int number = 0;       // number printed in the box; 0 for boxes without one (title strike-outs)
    BoxKind kind = BoxKind::Text;
    QString caption;
    QStringList choices;  // Choice: the choices' captions in form order; Tick: its one caption
    QByteArray section;   // id of the section that holds the box ("B.1")
    int row = 0;          // boxes of a section with the same row stand side by side
    int span = 24;        // width in 24ths of the page's content width
    bool required = false;
    bool computed = false;  // derived by the calculation
    bool capitals = false;  // a name or an address: the form is filled in capital letters

    // The box's place in the form's reading order: by number, the title strike-outs (in the head
    // after box 3) before box 4.
    int place() const { return number > 0 ? 2 * number : kind == BoxKind::TitleStrike ? 7 : 0; }

    bool isAmount() const { return kind == BoxKind::Amount || kind == BoxKind::WholeAmount; }
    bool isCoded() const { return kind == BoxKind::Choice || kind == BoxKind::Tick || kind == BoxKind::TitleStrike; }
    // Number of digits of a coded value.
    int codeLength() const { return kind == BoxKind::Choice ? static_cast<int>(choices.size()) + 1 : 2; }
};

// One line of the amount table: the source caption and the boxes of its four columns (0 = none).
struct AmountTableRow {
    QString caption;
    int revenue = 0;
    int cost = 0;
    int income = 0;
    int advance = 0;
    bool total = false;  // the "Razem" line, drawn in bold
};

struct FormSection {
    QByteArray id;     // "A", "B.1"
    QString title;     // "DANE IDENTYFIKACYJNE PŁATNIKA"
    int page = 1;      // the page on which it starts
    bool amountTable = false;  // the section is the amount table
    QString note;      // a line of explanation under the heading; may be empty
};

// One of the two titles of a form (PIT-11 / PIT-8B share a form; PIT-40 has one).
struct FormTitle {
    QString shortName;  // "PIT-11"
    QString fullTitle;  // "INFORMACJA O DOCHODACH ..."
    QByteArray strikeKey;  // the box whose "01" strikes this title out; empty when none
};

struct FormLayout {
    QByteArray symbol;      // "PIT118B_14"
    QString formName;       // "PIT-11/8B" (window titles, file names)
    std::vector<FormTitle> titles;  // the full titles and the other fixed texts: FormTemplateTexts
    int pageCount = 2;
    std::vector<FormSection> sections;
    std::vector<FormBox> boxes;
    QStringList amountColumns;  // the four column heads of the amount table
    std::vector<AmountTableRow> amountRows;

    const FormBox* box(const QByteArray& key) const;
    const FormBox* boxByNumber(int number) const;
    int indexOf(const QByteArray& key) const;  // -1 when the form has no such box

    // Boxes with the roles the validation needs (0 when the form has none).
    int payerNipBox = 0;
    int taxpayerNipBox = 0;
    int periodFromBox = 0;
    int periodToBox = 0;
    int taxpayerSurnameBox = 0;
    int taxpayerFirstNameBox = 0;
    bool isPit40 = false;
    int editionYear = 0;  // the tax year the edition is for: its period and tax year lie in it

    // Box positions by key and by number (-1: none), filled with the boxes; indexOf and
    // indexOfNumber fall back to a search without them.
    QHash<QByteArray, int> keyIndex;
    std::vector<int> numberIndex;
    int indexOfNumber(int number) const;
};

// The layout of an edition; nullptr for a symbol the program does not know. Built once.
const FormLayout* FindFormLayout(const QByteArray& symbol);
// The symbols of every known edition.
QList<QByteArray> KnownFormSymbols();
// The year a user knows an edition by ("2006" for "PIT40_14"); the symbol itself when the program
// does not know it.
QString EditionYearText(const QByteArray& symbol);
