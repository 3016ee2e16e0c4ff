#include "settings/widgets/TFWTabela.h"

#include "settings/widgets/ColorSwatch.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor kStandardBackground = Qt::white;
const QColor kStandardText = Qt::black;

}  // namespace

TFWTabela::TFWTabela(TableColors& table, MainView& mainView, UserInterface& ui, QWidget* parent)
    : QDialog(parent),
      table_(table),
      mainView_(mainView),
      ui_(ui),
      shape1_(new ColorSwatch(kStandardBackground)),
      shape2_(new ColorSwatch(kStandardText)),
      btnApply_(new QPushButton(QStringLiteral("Zastosuj"))),
      btnKoniec_(new QPushButton(QStringLiteral("Zachowaj i zamknij"))),
      btnDefault_(new QPushButton(QStringLiteral("Przywróć standardowe"))) {
    setObjectName(QStringLiteral("FWTabela"));
    setWindowTitle(QStringLiteral("Właściwości Tabeli"));
    shape1_->setObjectName(QStringLiteral("Shape1"));
    shape2_->setObjectName(QStringLiteral("Shape2"));
    btnApply_->setObjectName(QStringLiteral("btnApply"));
    btnKoniec_->setObjectName(QStringLiteral("btnKoniec"));
    btnDefault_->setObjectName(QStringLiteral("btnDefault"));

    auto* group = new QGroupBox(QStringLiteral("Kolorystyka"));
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Tło")), 0, 0, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Tekst")), 0, 1, Qt::AlignHCenter);
    grid->addWidget(shape1_, 1, 0, Qt::AlignHCenter);
    grid->addWidget(shape2_, 1, 1, Qt::AlignHCenter);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnApply_);
    buttons->addWidget(btnKoniec_);
    buttons->addWidget(btnDefault_);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    btnKoniec_->setDefault(true);
    connect(shape1_, &ColorSwatch::pressed, this, [this] { chooseSwatchColor(shape1_); });
    connect(shape2_, &ColorSwatch::pressed, this, [this] { chooseSwatchColor(shape2_); });
    connect(btnApply_, &QPushButton::clicked, this, &TFWTabela::btnApplyClick);
    connect(btnKoniec_, &QPushButton::clicked, this, &TFWTabela::btnKoniecClick);
    connect(btnDefault_, &QPushButton::clicked, this, &TFWTabela::btnDefaultClick);
}

QColor TFWTabela::backgroundColor() const { return shape1_->color(); }

QColor TFWTabela::textColor() const { return shape2_->color(); }

void TFWTabela::chooseSwatchColor(ColorSwatch* swatch) {
    if (const std::optional<QColor> chosen = ui_.chooseColor(swatch->color())) swatch->setColor(*chosen);
}

void TFWTabela::btnApplyClick() { table_.applyTableColors(shape1_->color(), shape2_->color()); }

void TFWTabela::btnKoniecClick() {
    btnApplyClick();
    mainView_.RefreshView(ViewMode::vmTabela);
    accept();
}

void TFWTabela::btnDefaultClick() {
    shape1_->setColor(kStandardBackground);
    shape2_->setColor(kStandardText);
    table_.setTableColors(kStandardBackground, kStandardText);
}
