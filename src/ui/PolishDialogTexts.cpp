#include "ui/PolishDialogTexts.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>
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

bool QtSpeaksPolish() {
    return QCoreApplication::translate("QFileDialog", "&Open") != QLatin1String("&Open");
}

void SetPolishFileDialogTexts(QFileDialog& dialog) {
    const bool save = dialog.acceptMode() == QFileDialog::AcceptSave;
    if (dialog.windowTitle().isEmpty()) {
        dialog.setWindowTitle(save                                          ? QStringLiteral("Zapisz plik")
                              : dialog.fileMode() == QFileDialog::Directory ? QStringLiteral("Wybierz folder")
                                                                            : QStringLiteral("Otwórz plik"));
    }
    // With Qt's own Polish texts its dialog reads Polish by itself, and a desktop's dialog (through
    // the platform theme) has its own texts: ours would only stand in for them.
    if (QtSpeaksPolish()) return;
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Szukaj w:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nazwa pliku:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Pliki typu:"));
    // No "&": a desktop's dialog would show the sign itself.
    dialog.setLabelText(QFileDialog::Accept, save ? QStringLiteral("Zapisz") : QStringLiteral("Otwórz"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Anuluj"));
}
