#include "app/TFAbout.h"

#include "app/LinkLabel.h"
#include "app/ProgramInfo.h"
#include "app/ProgramResources.h"
#include "ui/UserInterface.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

TFAbout::TFAbout(UserInterface& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
    ensureProgramResources();
    setObjectName(QStringLiteral("FAbout"));
    setWindowTitle(QStringLiteral("O programie"));

    auto* picture = namedLabel("Image1", QString(), this);
    picture->setPixmap(QPixmap(QStringLiteral(":/images/about-picture.png")));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* groupBox1 = new QGroupBox(QStringLiteral("Informacje o programie"), this);
    groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* label1 = namedLabel("Label1", QStringLiteral("Program Fiskon"), groupBox1);
    QFont bold = label1->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    label1->setFont(bold);
    lWersja_ = namedLabel("lWersja", QString(), groupBox1);
    auto* info = new QVBoxLayout(groupBox1);
    info->addWidget(label1);
    info->addWidget(lWersja_);

    auto* groupBox2 = new QGroupBox(QStringLiteral("Producent"), this);
    groupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* maker = namedLabel("lProducent", program_info::makerName(), groupBox2);
    auto* supportCaption = namedLabel("lPomoc", QStringLiteral("Pomoc techniczna:"), groupBox2);
    lEmail_ = new LinkLabel(program_info::supportEmail(), groupBox2);
    lEmail_->setObjectName(QStringLiteral("lEmail"));
    lEmail_->setToolTip(QStringLiteral("Napisz wiadomość do pomocy technicznej"));
    auto* phone = namedLabel("lTelefon", program_info::supportPhone(), groupBox2);
    auto* contact = new QVBoxLayout(groupBox2);
    contact->addWidget(maker);
    contact->addSpacing(6);
    contact->addWidget(supportCaption);
    contact->addWidget(lEmail_);
    contact->addWidget(phone);

    button1_ = new QPushButton(QStringLiteral("Zamknij"), this);
    button1_->setObjectName(QStringLiteral("Button1"));
    button1_->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(groupBox1);
    texts->addWidget(groupBox2);
    auto* body = new QHBoxLayout;
    body->addWidget(picture);
    body->addSpacing(8);
    body->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button1_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    // A fixed dialog border: the box keeps the size its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(button1_, &QPushButton::clicked, this, &QDialog::accept);
    connect(lEmail_, &LinkLabel::clicked, this, &TFAbout::lEmailClick);
}

void TFAbout::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TFAbout::FormShow() {
    lWersja_->setText(program_info::versionText());
    button1_->setFocus();
}

void TFAbout::lEmailClick() {
    ui_.openUrl(QUrl(QStringLiteral("mailto:") + program_info::supportEmail()));
}
