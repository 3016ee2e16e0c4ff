// The controls and pages of the taxpayer edit form.
#include "edit/widgets/TFEdit.h"

#include "edit/EmailAddress.h"
#include "edit/TaxpayerStoring.h"
#include "edit/widgets/AmountBoxLook.h"
#include "ui/ScreenFit.h"
#include "edit/widgets/Cp1250Validator.h"
#include "edit/widgets/FormFields.h"
#include "edit/widgets/MaskedText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <vector>

namespace {

struct AmountRow {
    const char* caption;  // empty: the second line of the row above
    int revenue, cost, income, advance;  // box numbers, 0 where the row has none
};

const AmountRow kPit11Rows[] = {
    {"Wynagrodzenie ze stosunku: pracy, służbowego, a także zasiłki pieniężne z ubezpieczenia "
     "społecznego wypłacone przez zakład pracy", 34, 35, 36, 37},
    {"", 38, 39, 0, 0},
    {"Dniówki obrachunkowe i udziały w dochodzie podzielnym rolniczej spółdzielni produkcyjnej ...",
     40, 0, 41, 42},
    {"Emerytury - renty zagraniczne", 43, 0, 44, 45},
    {"Należności za pracę przypadajaące tymczasowo aresztowanym lub skazanym", 46, 0, 47, 48},
    {"Świadczenia wypłacane z Funduszów: Pracy i Gwarantowanych Świadczeń Pracowniczych", 49, 0, 50, 51},
    {"Przychody z osobiście wykonywanej działalności o której mowa w art.13 pkt 2,4,6 ...", 52, 53, 54, 55},
    {"Przychody związane z pełnieniem obowiązków społecznych lub obywatelskich", 56, 57, 58, 59},
    {"Udział w organizacjach stanowiących osób prawnych", 60, 61, 62, 63},
    {"Kontrakt menedżerski, umowa o zarządzenie przedsiębiorstwem lub umowa o podobnym ...", 64, 65, 66, 67},
    {"Prawa autorskie i inne prawa, o których mowa w art. 18 ustawy", 68, 69, 70, 71},
    {"Inne źródła", 72, 0, 73, 74},
};

const AmountRow kPit40Rows[] = {
    {"Wynagrodzenie ze stosunku: pracy, służbowego, a także zasiłki pieniężne z ubezpieczenia "
     "społecznego wypłacone przez zakład pracy", 35, 36, 37, 38},
    {"", 39, 40, 0, 0},
    {"Dniówki obrachunkowe i udziały w dochodzie podzielnym rolniczej spółdzielni produkcyjnej ...",
     41, 0, 42, 43},
    {"Emerytury - renty zagraniczne", 44, 0, 45, 46},
    {"Należności za pracę przypadajaące tymczasowo aresztowanym lub skazanym", 47, 0, 48, 49},
    {"Działalność wykonywana osobiście o której mowa w art.13 ustawy ...", 50, 51, 52, 53},
    {"Prawa majątkowe (w tym prawa autorskie i inne prawa o których mowa w art.18 ustawy)", 54, 55, 56, 57},
    {"Inne źródła, niewymienione w wierszach od 1 do 6", 58, 59, 60, 61},
    {"RAZEM (Suma kwot z wierszy 1 do 7)", 62, 63, 64, 65},
};

struct SingleBox {
    int box;
    const char* caption;
};

const SingleBox kPit11Singles[] = {
    {75, "Składki na ubezpieczenia społeczne, o których mowa w art 26.ust.1 lit.1b ustawy. (p.75)"},
    {76, "Składki na ubezpiecznia zdrowotne, o których mowa w art.27b ust.1 pk2 z zastrz. art.27b ust 2"},
    {77, "Przychody otrzymywane z zagranicy, o których mowa w art.21 ust.1 pkt.74 ustawy (p.77)"},
    {78, "Przychody pochodzące ze środków bezzwrotnej pomocy zagranicznej (...), (p.78)"},
};

const SingleBox kPit40Singles[] = {
    {66, "Składki na ubezpieczenia społeczne, o których mowa w art 26.ust.1 pkt.2 lit.b ustawy. (p.66)"},
    {67, "Zwrot nienależnie pobranych świadczeń, o których mowa w art.26 ust.1 pkt 5 ustawy (p.67)"},
    {68, "Podstawa obliczenia podatku (po zaokrągleniu do pełnego złotego) (p.68)"},
    {69, "Obliczony podatek (zgodnie z art.27 ustawy) (p.69)"},
    {70, "Doliczenie do podatku (p.70)"},
    {71, "Podatek (p.71)"},
    {72, "Składki na ubezpiecznia zdrowotne, o których mowa w art.27b ust.1 pk2 z zastrz. art.27b ust 2"},
    {73, "Kwota składki na ubezpiecznenia zdrowotne, możliwa do odliczenia w roku podatkowym"},
    {74, "Podatek należny (po zaokrągleniu do pełnego złotego)"},
};

const char* const kPit11CostCaptions[] = {
    "od jednego zakładu pracy",
    "od jednego zakładu pracy, podwyższone w związku zamieszkiwania podatnika poza miejscowością, "
    "w której znajduje się zakład pracy",
    "od więcej niż jednego zakładu pracy",
    "od więcej niż jednego zakładu pracy, podwyższone w związku zamieszkiwania podatnika poza "
    "miejscowością, w której znajduje się zakład pracy",
};

const char* const kPit40CostCaptions[] = {
    "od jednego zakładu pracy",
    "od więcej niż jednego zakładu pracy",
    "od jednego zakładu pracy, podwyższone w związku z zamieszkiwaniem podatnika poza miejscowością, "
    "w której znajduje się zakład pracy",
    "od więcej niż jednego zakładu pracy, podwyższone w związku z zamieszkiwaniem podatnika poza "
    "miejscowością, w której znajduje się zakład pracy",
    "na podstawie wydatków faktycznie poniesionych, udokumentowanych wyłącznie imiennymi biletami "
    "okresowymi",
};

constexpr int kAmountBoxWidth = 110;

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// What a screen reader says of an amount box: its number on the form and what it holds, e.g.
// "Poz. 34 – Należności ze stosunku pracy, Przychód".
void NameAmountBox(QLineEdit& box, int number, QString what) {
    what.remove(QLatin1Char('&'));
    what = what.simplified();
    while (what.endsWith(QLatin1Char(':')) || what.endsWith(QLatin1Char(','))) what = what.chopped(1).trimmed();
    box.setAccessibleName(QStringLiteral("Poz. %1 – %2").arg(number).arg(what));
}

QLabel* Caption(const QString& text, QWidget* parent, bool wrap = true) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(wrap);
    return label;
}

QRadioButton* Radio(const QString& name, const QString& caption, QButtonGroup& group, int id,
                    QWidget* parent) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    group.addButton(button, id);
    return button;
}

// The form's size where the screen has room for it; on a smaller screen (or a larger scale) the
// pages scroll.
constexpr QSize kPreferredSize(1060, 760);

QWidget* Scrolled(QWidget* content) {
    auto* area = new QScrollArea;
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

QFrame* DividingLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

void TFEdit::buildControls() {
    setObjectName(QStringLiteral("FEdit"));
    setWindowTitle(QStringLiteral("Edycja danych"));
    setModal(true);

    PageControl1_ = new QTabWidget(this);
    PageControl1_->setObjectName(QStringLiteral("PageControl1"));
    PageControl1_->addTab(Scrolled(buildTaxpayerPage()), QStringLiteral("Dane &podatnika"));
    PageControl1_->addTab(buildPit11Page(), QStringLiteral("Dane kwotowe (PIT-&11/8B)"));
    PageControl1_->addTab(buildPit40Page(), QStringLiteral("Dane kwotowe (PIT-&40)"));
    PageControl1_->addTab(Scrolled(buildOtherPage()), QStringLiteral("Pozostał&e"));
    for (const auto& [box, edit] : eBoxes_)
        StyleAmountBox(*edit, Pit11BoxRole(box));
    for (const auto& [box, edit] : fBoxes_)
        StyleAmountBox(*edit, Pit40BoxRole(box));

    btnOK_ = new QPushButton(QStringLiteral("&Zatwierdz"), this);
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnOK_->setDefault(true);
    auto* btnAnuluj = new QPushButton(QStringLiteral("Anuluj"), this);
    btnAnuluj->setObjectName(QStringLiteral("btnAnuluj"));
    btnAnuluj->setAutoDefault(false);
    auto* Button1 = new QPushButton(QStringLiteral("W&yczyść wszystkie pola"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addStretch();
    buttons->addWidget(btnOK_);
    buttons->addWidget(btnAnuluj);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1_);
    layout->addLayout(buttons);

    connect(btnOK_, &QPushButton::clicked, this, &TFEdit::btnOKClick);
    connect(btnAnuluj, &QPushButton::clicked, this, &TFEdit::btnAnulujClick);
    connect(Button1, &QPushButton::clicked, this, &TFEdit::Button1Click);
    connect(PageControl1_, &QTabWidget::currentChanged, this, &TFEdit::PageControl1Change);
    FitToScreen(*this, kPreferredSize);
}

QLineEdit* TFEdit::addText(const char* name, int maxLength, bool upperCase) {
    auto* edit = NewTextField(this, name, maxLength, upperCase);
    texts_[edit->objectName()] = edit;
    return edit;
}

QWidget* TFEdit::buildTaxpayerPage() {
    auto* page = new QWidget;

    auto* office = new QGroupBox(QStringLiteral("Miejsce składania Informacji"), page);
    eUS_ = NewTaxOfficeBox(office);
    auto* officeLayout = new QVBoxLayout(office);
    auto* officeLabel = Caption(QStringLiteral("&Urząd Skarbowy do którego kierowana jest informacja"), office);
    officeLabel->setBuddy(eUS_);
    officeLayout->addWidget(officeLabel);
    officeLayout->addWidget(eUS_);

    auto* person = new QGroupBox(QStringLiteral("Dane Podatnika"), page);
    auto* eNIP = addText("eNIP", 13, false);
    ApplyMask(*eNIP, masks::kNip);
    auto* eNazwisko = addText("eNazwisko", 50, true);
    auto* eImie = addText("eImie", 50, true);
    auto* ePESEL = addText("ePESEL", 11, true);
    auto* eDataUr = addText("eDataUr", 10, false);
    ApplyMask(*eDataUr, masks::kDate);
    eDataUr->setToolTip(QStringLiteral("Data urodzenia w formacie DD-MM-RRRR"));
    eDataUr->installEventFilter(this);  // F4 opens the picker
    auto* SpeedButton1 = new QToolButton(person);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("<-"));
    SpeedButton1->setToolTip(QStringLiteral("Pokazuje okno do wyboru daty"));
    connect(SpeedButton1, &QToolButton::clicked, this, &TFEdit::SpeedButton1Click);
    auto* eKraj = addText("eKraj", 50, true);
    eWoj_ = NewVoivodeshipBox(person);
    auto* ePowiat = addText("ePowiat", 50, true);
    auto* eGmina = addText("eGmina", 50, true);
    auto* eUlica = addText("eUlica", 50, true);
    auto* eNrDomu = addText("eNrDomu", 15, true);
    auto* eNrLokalu = addText("eNrLokalu", 15, true);
    auto* eMiejscowosc = addText("eMiejscowosc", 50, true);
    auto* eKodPocztowy = addText("eKodPocztowy", 10, false);
    ApplyMask(*eKodPocztowy, masks::kPostalCode);
    auto* ePoczta = addText("ePoczta", 50, true);
    // An address keeps its letter case; what it may hold is checked on confirmation.
    auto* eEmail = addText("eEmail", kEmailAddressMaxBytes, false);

    auto* grid = new QGridLayout(person);
    // `field` stands beside the caption; `buddy` (the field itself unless given) takes the focus
    // on the caption's Alt key.
    auto addField = [&](int row, int column, const QString& label, QWidget* field, QWidget* buddy = nullptr) {
        auto* caption = Caption(label, person, false);
        caption->setBuddy(buddy ? buddy : field);
        grid->addWidget(caption, row, column * 2);
        grid->addWidget(field, row, column * 2 + 1);
    };
    addField(0, 0, QStringLiteral("&NIP"), eNIP);
    addField(1, 0, QStringLiteral("Nazwis&ko"), eNazwisko);
    addField(2, 0, QStringLiteral("&Imię pierwsze"), eImie);
    addField(3, 0, QStringLiteral("PE&SEL"), ePESEL);
    auto* birth = new QWidget(person);
    auto* birthLayout = new QHBoxLayout(birth);
    birthLayout->setContentsMargins(0, 0, 0, 0);
    birthLayout->addWidget(eDataUr);
    birthLayout->addWidget(SpeedButton1);
    birthLayout->addStretch();
    eDataUr->setFixedWidth(110);
    eDataUr->setAccessibleName(QStringLiteral("Data urodzenia (D-M-R)"));
    addField(4, 0, QStringLiteral("&Data urodzenia (D-M-R)"), birth, eDataUr);
    addField(5, 0, QStringLiteral("K&raj"), eKraj);
    addField(6, 0, QStringLiteral("Wo&jewództwo"), eWoj_);
    addField(0, 1, QStringLiteral("Po&wiat"), ePowiat);
    addField(1, 1, QStringLiteral("&Gmina"), eGmina);
    addField(2, 1, QStringLiteral("U&lica"), eUlica);
    auto* house = new QWidget(person);
    auto* houseLayout = new QHBoxLayout(house);
    houseLayout->setContentsMargins(0, 0, 0, 0);
    houseLayout->addWidget(eNrDomu);
    // "m" before the flat number is no caption of its own (the row's caption names both boxes, and
    // the box is named for screen readers), so it takes no Alt key.
    auto* flatLabel = Caption(QStringLiteral("m"), house, false);
    houseLayout->addWidget(flatLabel);
    houseLayout->addWidget(eNrLokalu);
    eNrDomu->setAccessibleName(QStringLiteral("Nr domu"));
    eNrLokalu->setAccessibleName(QStringLiteral("Nr mieszkania"));
    addField(3, 1, QStringLiteral("Nr d&omu / nr mieszkania"), house, eNrDomu);
    addField(4, 1, QStringLiteral("&Miejscowość"), eMiejscowosc);
    addField(5, 1, QStringLiteral("Kod po&cztowy"), eKodPocztowy);
    eKodPocztowy->setMaximumWidth(90);
    addField(6, 1, QStringLiteral("Poczt&a"), ePoczta);
    // The address is a line of its own under both columns: it is longer than any of their fields.
    QString emailLabel = kEmailFieldCaption;
    emailLabel.insert(emailLabel.lastIndexOf(u'T'), u'&');  // Alt+T: the other letters are taken
    auto* emailCaption = Caption(emailLabel, person, false);
    emailCaption->setBuddy(eEmail);
    grid->addWidget(emailCaption, 7, 0);
    grid->addWidget(eEmail, 7, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setHorizontalSpacing(12);

    auto* costs = new QGroupBox(QStringLiteral("Informacja o kosztach uzyskania przychodu (PIT-11/8B)"), page);
    pit11Costs_ = new QButtonGroup(this);
    auto* costsLayout = new QVBoxLayout(costs);
    for (int i = 0; i < 4; ++i) {
        costsLayout->addWidget(Radio(QStringLiteral("RB%1").arg(i + 1), Utf8(kPit11CostCaptions[i]),
                                     *pit11Costs_, i + 1, costs));
    }

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(office);
    layout->addWidget(person);
    layout->addWidget(costs);
    layout->addStretch();

    // Tab order follows the two columns of the identity group.
    setTabOrder(eUS_, eNIP);
    QWidget* order[] = {eNIP, eNazwisko, eImie, ePESEL, eDataUr, SpeedButton1, eKraj, eWoj_, ePowiat,
                        eGmina, eUlica, eNrDomu, eNrLokalu, eMiejscowosc, eKodPocztowy, ePoczta, eEmail};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    return page;
}

QLineEdit* TFEdit::addAmountBox(QChar prefix, int box) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(prefix + QString::number(box));
    edit->setToolTip(QStringLiteral("p%1").arg(box));
    edit->setMaxLength(20);
    edit->setValidator(new Cp1250Validator(false, edit));
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(kAmountBoxWidth);
    edit->installEventFilter(this);
    (prefix == u'e' ? eBoxes_ : fBoxes_)[box] = edit;
    return edit;
}

void TFEdit::addAmountRows(QGridLayout& grid, QChar prefix, const QStringList& heads, int firstRow) {
    QWidget* parent = grid.parentWidget();
    for (int column = 0; column < heads.size(); ++column) {
        auto* head = Caption(heads.at(column), parent);
        head->setAlignment(Qt::AlignCenter);
        head->setFixedWidth(kAmountBoxWidth + 10);
        grid.addWidget(head, firstRow, column + 1, Qt::AlignHCenter | Qt::AlignBottom);
    }
    const bool pit11 = prefix == u'e';
    const AmountRow* rows = pit11 ? kPit11Rows : kPit40Rows;
    const std::size_t count = pit11 ? std::size(kPit11Rows) : std::size(kPit40Rows);
    QString rowCaption;  // a row without a caption of its own continues the one above
    for (std::size_t i = 0; i < count; ++i) {
        const AmountRow& row = rows[i];
        const int line = firstRow + 1 + static_cast<int>(i);
        if (*row.caption != '\0') {
            auto* caption = Caption(Utf8(row.caption), parent);
            if (i == 0)
                caption->setToolTip(caption->text());
            grid.addWidget(caption, line, 0);
            rowCaption = caption->text();
        }
        const int boxes[] = {row.revenue, row.cost, row.income, row.advance};
        for (int column = 0; column < 4; ++column) {
            if (boxes[column] == 0) continue;
            QLineEdit* edit = addAmountBox(prefix, boxes[column]);
            NameAmountBox(*edit, boxes[column], rowCaption + QStringLiteral(", ") + heads.value(column));
            grid.addWidget(edit, line, column + 1, Qt::AlignHCenter);
        }
    }
}

void TFEdit::addAmountSingle(QGridLayout& grid, int row, QChar prefix, int box, const QString& caption) {
    auto* label = Caption(caption, grid.parentWidget());
    QLineEdit* edit = addAmountBox(prefix, box);
    label->setBuddy(edit);
    NameAmountBox(*edit, box, caption);
    grid.addWidget(label, row, 0, 1, 4);
    grid.addWidget(edit, row, 4, Qt::AlignHCenter);
}

QWidget* TFEdit::buildPit11Page() {
    auto* content = new QWidget;
    auto* grid = new QGridLayout(content);
    addAmountRows(*grid, u'e',
                  {QStringLiteral("Przychód"), QStringLiteral("Koszty uzyskania przychodu"),
                   QStringLiteral("Dochód"), QStringLiteral("Zaliczka pobrana przez płatnika")},
                  0);
    int row = 1 + static_cast<int>(std::size(kPit11Rows));
    grid->addWidget(DividingLine(content), row++, 0, 1, 5);
    for (const SingleBox& single : kPit11Singles)
        addAmountSingle(*grid, row++, u'e', single.box, Utf8(single.caption));
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(row, 1);
    eBoxes_.at(38)->setToolTip(QStringLiteral("p38"));
    return Scrolled(content);
}

QWidget* TFEdit::buildPit40Page() {
    auto* content = new QWidget;
    auto* outer = new QVBoxLayout(content);
    auto* btnPrzepisz = new QPushButton(QStringLiteral("P&rzepisz z PIT-11/8B"), content);
    btnPrzepisz->setObjectName(QStringLiteral("btnPrzepisz"));
    btnPrzepisz->setAutoDefault(false);
    btnPrzepisz->setAccessibleName(QStringLiteral("Przepisz kwoty z PIT-11/8B"));
    btnPrzepisz->setToolTip(QStringLiteral("Wypełnia przychody, koszty, zaliczki i składki kwotami ze strony PIT-11/8B"));
    connect(btnPrzepisz, &QPushButton::clicked, this, &TFEdit::btnPrzepiszClick);
    auto* top = new QHBoxLayout;
    top->addWidget(btnPrzepisz);
    top->addStretch();
    outer->addLayout(top);
    auto* grid = new QGridLayout;
    outer->addLayout(grid);
    addAmountRows(*grid, u'f',
                  {QStringLiteral("Przychód"), QStringLiteral("Koszty uzyskania przychodu"),
                   QStringLiteral("Dochód"), QStringLiteral("Pobrana zaliczka na podatek dochodowy")},
                  0);
    int row = 1 + static_cast<int>(std::size(kPit40Rows));
    grid->addWidget(DividingLine(content), row++, 0, 1, 5);
    for (const SingleBox& single : kPit40Singles)
        addAmountSingle(*grid, row++, u'f', single.box, Utf8(single.caption));
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(row, 1);
    return Scrolled(content);
}

QWidget* TFEdit::buildOtherPage() {
    auto* page = new QWidget;

    auto* pit11 = new QGroupBox(QStringLiteral("PIT-11/8B"), page);
    auto* pit11Layout = new QVBoxLayout(pit11);
    pit11Layout->addWidget(Caption(QStringLiteral("Do formularza dołączono informację PIT-R"), pit11));
    pit11PitR_ = new QButtonGroup(this);
    auto* pitR = new QHBoxLayout;
    const QString pitRCaptions[] = {QStringLiteral("Nieokreślono"), QStringLiteral("Tak"), QStringLiteral("Nie")};
    for (int i = 0; i < 3; ++i)
        pitR->addWidget(Radio(QStringLiteral("rbP11R%1").arg(i + 1), pitRCaptions[i], *pit11PitR_, i, pit11));
    pitR->addStretch();
    pit11Layout->addLayout(pitR);
    pit11Layout->addWidget(Caption(QStringLiteral("Okres wypełnienia :"), pit11));
    auto* period = new QHBoxLayout;
    auto addPeriodField = [&](const char* name, const QString& label, const char* buttonName,
                              void (TFEdit::*handler)()) {
        QLineEdit* field = addText(name, 10, false);
        ApplyMask(*field, masks::kDate);
        field->setFixedWidth(110);
        field->setToolTip(QStringLiteral("Data w formacie DD-MM-RRRR; F4 pokazuje okno do wyboru daty"));
        field->installEventFilter(this);
        auto* caption = Caption(label, pit11, false);
        caption->setBuddy(field);
        auto* button = new QToolButton(pit11);
        button->setObjectName(QString::fromLatin1(buttonName));
        button->setText(QStringLiteral("<-"));
        button->setToolTip(QStringLiteral("Pokazuje okno do wyboru daty"));
        // Tab goes from "Od" straight to "Do"; the picker is the button's click or F4 in the field.
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, handler);
        period->addWidget(caption);
        period->addWidget(field);
        period->addWidget(button);
        period->addSpacing(24);
    };
    addPeriodField("eOd", QStringLiteral("Od :"), "btn1", &TFEdit::btn1Click);
    addPeriodField("eDo", QStringLiteral("Do :"), "btn2", &TFEdit::btn2Click);
    period->addStretch();
    pit11Layout->addLayout(period);

    auto* pit40 = new QGroupBox(QStringLiteral("PIT-40"), page);
    auto* pit40Layout = new QVBoxLayout(pit40);
    pit40Layout->addWidget(Caption(QStringLiteral("Informacje o załącznikach. Do niniejszego formularza dołączono "
                                                  "(zaznaczyć właściwy kwadrat) :"),
                                   pit40));
    cbNIP3_ = new QCheckBox(QStringLiteral("Zgłoszenie NIP-3"), pit40);
    cbNIP3_->setObjectName(QStringLiteral("cbNIP3"));
    cbPITR_ = new QCheckBox(QStringLiteral("PIT-R"), pit40);
    cbPITR_->setObjectName(QStringLiteral("cbPITR"));
    auto* attachments = new QHBoxLayout;
    attachments->addWidget(cbNIP3_);
    attachments->addSpacing(24);
    attachments->addWidget(cbPITR_);
    attachments->addStretch();
    pit40Layout->addLayout(attachments);

    auto* results = new QGridLayout;
    const std::pair<int, QString> resultBoxes[] = {
        {75, QStringLiteral("Różnica pomiędzy podatkiem należnym a sumą zaliczek pobranych przez płatnika - "
                            "DO ZAPŁATY :")},
        {76, QStringLiteral("Różnica pomiędzy sumą zaliczek pobranych przez płatnika a podatkiem należnym - "
                            "NADPŁATA :")},
    };
    int row = 0;
    for (const auto& [box, caption] : resultBoxes) {
        QLineEdit* edit = addAmountBox(u'f', box);
        auto* label = Caption(caption, pit40);
        label->setBuddy(edit);
        NameAmountBox(*edit, box, caption);
        results->addWidget(label, row, 0);
        results->addWidget(edit, row, 1);
        ++row;
    }
    results->setColumnStretch(0, 1);
    pit40Layout->addLayout(results);
    pit40Layout->addWidget(Caption(QStringLiteral("Koszty uzyskania przychodów, wykazane w pozycji 36, zostały "
                                                  "uwzględnione do wysokości przysługującej podatnikowi :"),
                                   pit40));
    pit40Costs_ = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        pit40Layout->addWidget(Radio(QStringLiteral("RB_%1").arg(i + 1), Utf8(kPit40CostCaptions[i]),
                                     *pit40Costs_, i + 1, pit40));
    }

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(pit11);
    layout->addWidget(pit40);
    layout->addStretch();

    // Tab order is reading order: the PIT-R choice, the period from and to, the attachments, the
    // results, the costs.
    std::vector<QWidget*> order;
    for (int id = 0; id < 3; ++id) order.push_back(pit11PitR_->button(id));
    order.insert(order.end(), {texts_.at(QStringLiteral("eOd")), texts_.at(QStringLiteral("eDo")), cbNIP3_, cbPITR_,
                               fBoxes_.at(75), fBoxes_.at(76)});
    for (int id = 1; id <= 5; ++id) order.push_back(pit40Costs_->button(id));
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    return page;
}
