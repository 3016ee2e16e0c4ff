#pragma once

#include "forms/widgets/TaxpayerFilesDialog.h"

class QLineEdit;

// "Zapisz PDF dla każdego podatnika…": the chosen form of every taxpayer (or of those selected in
// the main window's table) into a PDF file of its own in one folder, "007_NOWAK_ANNA.pdf", drawn
// by the forms program's renderer in this process on every core. The form, its edition, the person
// filling in, the tax year and the title to strike out are chosen as in the print dialog; the files
// are locked with the taxpayer's PESEL (the default), the taxpayer's NIP, one password typed twice,
// or not at all. Nothing is written when a taxpayer lacks the number that should lock the file or
// has a form that cannot be made: every such taxpayer is named first. While the files are written
// the dialog says how far it is and "Przerwij" stops after the files being written; at the end it
// says how many files went where and offers to open the folder. A typed password lives only for
// one batch: it is cleared from the dialog afterwards and never stored.
//
// The files may be signed with a certificate of the certificate database (opened when the dialog
// is first shown), on a card or with its key in the database; one from a PKCS#12 file can be added
// to the database here. The card's PIN is asked once a batch, after the taxpayers are checked and
// before anything is drawn: a wrong one writes nothing. The certificate chosen (never the PIN) is
// remembered in the settings and chosen again next time while the database has it.
class TFEachPdf : public TaxpayerFilesDialog {
    Q_OBJECT
public:
    TFEachPdf(Workspace& workspace, MainView& mainView, TFVEL& showForm, ProgramSettings& settings, UserInterface& ui,
              TFCalendar& calendar, QWidget* parent = nullptr);

    void btnClearClick() override;
    void btnKatalogClick();
    void btnSaveClick();

private:
    void saveAll();
    // False, with the reason in a message, when the choices cannot make a batch.
    bool fillFolderRequest(TaxpayerPdfRequest& request);
    void runBatch(const TaxpayerPdfRequest& request, const SigningKey* key);

    QLineEdit* eKatalog_ = nullptr;
};
