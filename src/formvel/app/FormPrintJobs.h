#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <utility>

class FormDocument;
class FormWindow;
class QPrintDialog;
class QPrinter;

// Printing of the forms: the print request, the print dialog (opened without blocking, finished
// later), the range each form last printed, and the batch: documents printed later on the same form
// go to the printer and settings chosen in its dialog — when that was a PDF file, each to a file of
// its own beside it.
class FormPrintJobs : public QObject {
    Q_OBJECT
public:
    struct Request {
        int firstPage = 1;
        int lastPage = 999;
        bool silent = false;
        int printerIndex = 0;
        QString caption;
    };

    FormPrintJobs();
    ~FormPrintJobs() override;

    // Prints without a dialog; true when at least one page was printed. With no printer in the
    // system the form goes into a PDF file in the documents folder and the form window says where.
    bool print(FormDocument& document, FormWindow* window, const Request& request);
    // Opens the print dialog over the form window (or on its own); true when it was opened. Pages
    // 0 mean the whole form.
    bool openDialog(FormDocument& document, FormWindow* window, int firstPage, int lastPage, const QString& caption);
    // True once the dialog opened last for the form is closed (also when none was opened).
    bool dialogFinished(const FormDocument* document) const;
    // The pages the form last printed (first, last); no value before anything was printed.
    std::optional<std::pair<int, int>> range(const FormDocument* document) const;
    // One document of a batch is done; the number done so far on this form.
    int endDocument(const FormDocument* document);
    // The form is gone: its dialog is closed and its settings dropped.
    void forget(const FormDocument* document);

    // The file the last print went to, when it was a file (tests, status lines).
    QString lastOutputFile() const { return lastOutputFile_; }

private:
    struct Job {
        std::unique_ptr<QPrinter> printer;  // the dialog's choice
        QPointer<QPrintDialog> dialog;
        bool chosen = false;
        bool finished = true;
        QString chosenFile;
        QString chosenTaxpayer;  // of the document printed through the dialog
        std::optional<std::pair<int, int>> range;
        int documents = 0;
    };

    void dialogClosed(FormDocument* document, QPointer<FormWindow> window, int result);
    // `generatedName`: a file the program named itself (a later document of a batch, the file of no
    // printer), where a link standing at the name is replaced, never followed.
    int printOn(QPrinter& printer, const FormDocument& document, int firstPage, int lastPage, bool generatedName = false);
    QString failureMessage() const;

    std::map<const FormDocument*, Job> jobs_;
    QString lastOutputFile_;
    QString printError_;  // why the last print failed
};
