#pragma once

class QColorDialog;
class QFileDialog;
class QWidget;

// Qt's standard dialogs take their texts from Qt's translation of its own texts, which a system
// may lack. These set the Polish texts themselves, so the buttons read "Tak", "Nie", "OK",
// "Anuluj" whatever is installed.

// Every standard button of every button box in `dialog` (a message box has one).
void SetPolishButtonTexts(QWidget& dialog);

// True when Qt's own Polish texts are installed and loaded.
bool QtSpeaksPolish();

// A file dialog, Qt's own or the desktop's: a title when it has none; and where Qt's Polish texts
// are missing, the captions "Szukaj w:", "Nazwa pliku:", "Pliki typu:", the accept button
// ("Otwórz" or "Zapisz", as the dialog's mode says) and "Anuluj".
void SetPolishFileDialogTexts(QFileDialog& dialog);
