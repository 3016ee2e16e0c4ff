#include "app/TFStart.h"

#include "app/LinkLabel.h"
#include "app/ProgramInfo.h"
#include "app/ProgramResources.h"
#include "app/TFMain.h"
#include "app/ToolbarIcons.h"
#include "settings/widgets/TFConfig.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kWelcomeText = QStringLiteral(
    "Witamy w programie Fiskon i serdecznie dziękujemy za jego zakup.\n\n"
    "Prace nad programem wciąż trwają: na bieżąco poprawiamy go i dodajemy nowe funkcje. "
    "Dlatego bardzo prosimy o przesyłanie wszelkich uwag, spostrzeżeń i propozycji dotyczących "
    "programu do pomocy technicznej producenta lub bezpośrednio do autora programu.");

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLabel* actionDescription(const char* name, const QString& text, QWidget* parent) {
    QLabel* label = namedLabel(name, text, parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

}  // namespace

TFStart::TFStart(TFMain& main, QWidget* parent) : QDialog(parent), main_(main) {
    ensureProgramResources();
    setObjectName(QStringLiteral("FStart"));
    setWindowTitle(QStringLiteral("Na początku"));

    auto* panel1 = new QFrame(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    // The picture's own bottom colour fills whatever height the window gives the panel.
    panel1->setAutoFillBackground(true);
    QPalette panelColours = panel1->palette();
    panelColours.setColor(QPalette::Window, QColor(0x14, 0x3a, 0x5e));
    panel1->setPalette(panelColours);
    auto* picture = new QLabel(panel1);
    picture->setPixmap(QPixmap(QStringLiteral(":/images/start-panel.png")));
    auto* panelLayout = new QVBoxLayout(panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(picture);
    panelLayout->addStretch();

    auto* labelWersja = namedLabel("LabelWersja", program_info::versionText(), this);
    labelWersja->setAlignment(Qt::AlignRight);

    auto* groupBox1 = new QGroupBox(QStringLiteral("Od Autora"), this);
    groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* label1 = namedLabel("Label1", kWelcomeText, groupBox1);
    label1->setWordWrap(true);
    auto* label2 = namedLabel("Label2", QStringLiteral("Jeśli chcesz skontaktować się w sprawie programu kliknij"),
                              groupBox1);
    auto* label3 = new LinkLabel(QStringLiteral("tutaj"), groupBox1);
    label3->setObjectName(QStringLiteral("Label3"));
    auto* contactLine = new QHBoxLayout;
    contactLine->addWidget(label2);
    contactLine->addWidget(label3);
    contactLine->addStretch();
    auto* authorLayout = new QVBoxLayout(groupBox1);
    authorLayout->addWidget(label1);
    authorLayout->addLayout(contactLine);

    checkBox1_ = new QCheckBox(QStringLiteral("Pokazuj to okno podczas kolejnego uruchomienia programu"), this);
    checkBox1_->setObjectName(QStringLiteral("CheckBox1"));
    checkBox1_->setChecked(true);

    auto* right = new QVBoxLayout;
    right->addWidget(labelWersja);
    right->addWidget(groupBox1);
    right->addWidget(createActionsGroup());
    right->addWidget(checkBox1_);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(panel1);
    layout->addLayout(right, 1);
    // A fixed dialog border: the window keeps the size its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setFixedWidth(640);

    connect(label3, &LinkLabel::clicked, this, &TFStart::Label3Click);
    connect(checkBox1_, &QCheckBox::clicked, this, &TFStart::CheckBox1Click);
}

QToolButton* TFStart::actionButton(const char* name, const QIcon& icon, const QString& hint) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon);
    button->setIconSize(QSize(48, 48));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setAccessibleName(hint);  // a screen reader says the action, not the group's title
    return button;
}

QWidget* TFStart::createActionsGroup() {
    auto* groupBox2 = new QGroupBox(QStringLiteral("Najczęsciej wykonywane akcje"), this);
    groupBox2->setObjectName(QStringLiteral("GroupBox2"));

    QToolButton* speedButton1 = actionButton("SpeedButton1", toolbar_icons::import(),
                                             QStringLiteral("Kreator importu danych z bazy Programu Płatnika"));
    QToolButton* speedButton2 = actionButton("SpeedButton2", toolbar_icons::open(),
                                             QStringLiteral("Otwórz plik tekstowy w formacie INI"));
    QToolButton* speedButton4 = actionButton("SpeedButton4", toolbar_icons::add(), QStringLiteral("Dodaj dane"));
    QLabel* label4 = actionDescription(
        "Label4",
        QStringLiteral("Otwiera plik bazy danych Programu Płatnika firmy PROKOM Software i importuje dane do "
                       "programu umożliwiając ich późniejsze uzupełnienie czy edycję."),
        groupBox2);
    QLabel* label5 =
        actionDescription("Label5", QStringLiteral("Otwiera plik z danymi zapisanymi przez program Fiskon"), groupBox2);
    QLabel* label7 = actionDescription(
        "Label7", QStringLiteral("Tworzy nową bazę i dodaje dane wprowadzane ręcznie przez użytkownika."), groupBox2);

    auto* grid = new QGridLayout(groupBox2);
    const std::pair<QToolButton*, QLabel*> actions[] = {
        {speedButton1, label4}, {speedButton2, label5}, {speedButton4, label7}};
    int column = 0;
    for (const auto& [button, label] : actions) {
        grid->addWidget(button, 0, column, Qt::AlignHCenter);
        grid->addWidget(label, 1, column);
        grid->setColumnStretch(column, 1);
        ++column;
    }

    connect(speedButton1, &QToolButton::clicked, this, &TFStart::SpeedButton1Click);
    connect(speedButton2, &QToolButton::clicked, this, &TFStart::SpeedButton2Click);
    connect(speedButton4, &QToolButton::clicked, this, &TFStart::SpeedButton4Click);
    return groupBox2;
}

void TFStart::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, not over the main window.
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, height() / 2));
    }
}

void TFStart::SpeedButton1Click() {
    // The start screen leaves before the wizard's first page and does not come back.
    reject();
    main_.ImportWizard();
}

void TFStart::SpeedButton2Click() {
    main_.Open();
    closeWhenThereAreTaxpayers();
}

void TFStart::SpeedButton4Click() {
    main_.Add();
    if (main_.taxpayers().empty()) return;
    main_.RefreshView(ViewMode::vmTabela);
    accept();
}

void TFStart::closeWhenThereAreTaxpayers() {
    // A cancelled choice leaves the register empty: the user stays on the start screen.
    if (!main_.taxpayers().empty()) accept();
}

void TFStart::Label3Click() { main_.About(); }

void TFStart::CheckBox1Click(bool checked) {
    if (TFConfig* config = main_.windows().config) config->SetShowInitialScreenParam(checked);
}
