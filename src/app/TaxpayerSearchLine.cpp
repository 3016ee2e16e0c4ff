#include "app/TaxpayerSearchLine.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

TaxpayerSearchLine::TaxpayerSearchLine(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PanelSzukaj"));
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("eSzukaj"));
    edit_->setAccessibleName(QStringLiteral("Szukaj"));
    edit_->setPlaceholderText(QStringLiteral("Szukaj: nazwisko, imię, PESEL lub NIP"));
    edit_->setStatusTip(QStringLiteral("Pokazuje w tabeli tylko podatników, których nazwisko, imię, PESEL lub NIP "
                                       "zawiera wpisany tekst"));
    edit_->setClearButtonEnabled(true);
    auto* label = new QLabel(QStringLiteral("&Szukaj:"), this);
    label->setBuddy(edit_);

    auto* clearText = new QAction(edit_);
    clearText->setObjectName(QStringLiteral("SzukajClear"));
    clearText->setShortcut(QKeySequence(Qt::Key_Escape));
    clearText->setShortcutContext(Qt::WidgetShortcut);
    edit_->addAction(clearText);
    connect(clearText, &QAction::triggered, edit_, &QLineEdit::clear);
    connect(edit_, &QLineEdit::textChanged, this, &TaxpayerSearchLine::textChanged);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(label);
    layout->addWidget(edit_, 1);
    setFocusProxy(edit_);
}

QString TaxpayerSearchLine::text() const { return edit_->text(); }

void TaxpayerSearchLine::clear() { edit_->clear(); }
