#include "ui/PolishDialogTexts.h"

#include <QPushButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QString>

#include <utility>

void SetPolishButtonTexts(QWidget& dialog) {
    static const std::pair<QDialogButtonBox::StandardButton, const char*> kTexts[] = {
        {QDialogButtonBox::Ok, "OK"},          {QDialogButtonBox::Cancel, "Anuluj"},
        {QDialogButtonBox::Yes, "&Tak"},       {QDialogButtonBox::No, "&Nie"},
        {QDialogButtonBox::Open, "&Otwórz"},   {QDialogButtonBox::Save, "&Zapisz"},
        {QDialogButtonBox::Close, "&Zamknij"}, {QDialogButtonBox::Help, "Pomoc"},
    };
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>()) {
        for (const auto& [which, text] : kTexts) {
            if (QPushButton* button = box->button(which)) button->setText(QString::fromUtf8(text));
        }
    }
}

void SetPolishFileDialogTexts(QFileDialog& dialog) {
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Szukaj w:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nazwa pliku:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Pliki typu:"));
    dialog.setLabelText(QFileDialog::Accept, dialog.acceptMode() == QFileDialog::AcceptSave
                                                 ? QStringLiteral("&Zapisz")
                                                 : QStringLiteral("&Otwórz"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Anuluj"));
}
