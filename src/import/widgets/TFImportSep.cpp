#include "import/widgets/TFImportSep.h"

#include "import/DelimitedImport.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/Workspace.h"
#include "ui/ErrorMessage.h"
#include "ui/MainView.h"
#include "ui/UserInterface.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QValidator>
#include <QVBoxLayout>

namespace {

// The separator box takes one character, and only one that code page 1250 has: the file is
// read in that code page, so any other character could never match.
class SeparatorCharValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.size() > 1)
            return Invalid;
        if (input.size() == 1 && (!cp1250::canEncode(input.front()) || input.front() == u'\r' ||
                                  input.front() == u'\n'))
            return Invalid;
        return Acceptable;
    }
};

struct SeparatorChoice {
    const char* name;
    const char* caption;
    char separator;
};

constexpr SeparatorChoice kFixedSeparators[] = {
    {"rb1", "Tabulator (kod znaku 09)", '\t'},
    {"rb2", "| (kreska pionowa)", '|'},
    {"rb3", "; (średnik)", ';'},
    {"rb4", ", (przecinek)", ','},
};
constexpr int kOtherSeparatorId = 5;

}  // namespace

TFImportSep::TFImportSep(Workspace& workspace, MainView& mainView, UserInterface& ui,
                         QWidget* parent)
    : QDialog(parent), workspace_(workspace), mainView_(mainView), ui_(ui) {
    setObjectName(QStringLiteral("FImportSep"));
    setWindowTitle(QStringLiteral("Import danych rozseparowanych znakiem"));

    eFilename_ = new QLineEdit;
    eFilename_->setObjectName(QStringLiteral("eFilename"));
    eFilename_->setMinimumWidth(340);
    btnSelect_ = new QToolButton;
    btnSelect_->setObjectName(QStringLiteral("btnSelect"));
    btnSelect_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    auto* fileGroup = new QGroupBox(QStringLiteral("Nazwa pliku"));
    auto* fileLayout = new QHBoxLayout(fileGroup);
    fileLayout->addWidget(eFilename_, 1);
    fileLayout->addWidget(btnSelect_);

    separators_ = new QButtonGroup(this);
    auto* separatorGroup = new QGroupBox(QStringLiteral("Separator"));
    auto* separatorLayout = new QGridLayout(separatorGroup);
    int id = 1;
    for (const SeparatorChoice& choice : kFixedSeparators) {
        auto* button = new QRadioButton(QString::fromUtf8(choice.caption));
        button->setObjectName(QString::fromLatin1(choice.name));
        separators_->addButton(button, id);
        separatorLayout->addWidget(button, id - 1, 0, 1, 2);
        ++id;
    }
    rb5_ = new QRadioButton(QStringLiteral("inny"));
    rb5_->setObjectName(QStringLiteral("rb5"));
    separators_->addButton(rb5_, kOtherSeparatorId);
    eChar_ = new QLineEdit;
    eChar_->setObjectName(QStringLiteral("eChar"));
    eChar_->setMaxLength(1);
    eChar_->setValidator(new SeparatorCharValidator(eChar_));
    eChar_->setFixedWidth(eChar_->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 12);
    separatorLayout->addWidget(rb5_, kOtherSeparatorId - 1, 0);
    separatorLayout->addWidget(eChar_, kOtherSeparatorId - 1, 1, Qt::AlignLeft);
    separatorLayout->setColumnStretch(1, 1);

    btnImport_ = new QPushButton(QStringLiteral("Importuj"));
    btnImport_->setObjectName(QStringLiteral("btnImport"));
    btnImport_->setDefault(true);
    Button1_ = new QPushButton(QStringLiteral("Anuluj"));
    Button1_->setObjectName(QStringLiteral("Button1"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(btnImport_);
    buttonRow->addWidget(Button1_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileGroup);
    layout->addWidget(separatorGroup);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnSelect_, &QToolButton::clicked, this, &TFImportSep::btnSelectClick);
    connect(btnImport_, &QPushButton::clicked, this, &TFImportSep::btnImportClick);
    connect(Button1_, &QPushButton::clicked, this, &TFImportSep::reject);
}

void TFImportSep::btnSelectClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Wskaż plik do otwarcia");
    request.filter = QStringLiteral("Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("*.txt");
    request.initialPath = eFilename_->text();
    if (const auto chosen = ui_.openFile(request))
        eFilename_->setText(*chosen);
}

std::optional<char> TFImportSep::chosenSeparator() {
    const int id = separators_->checkedId();
    if (id == kOtherSeparatorId) {
        if (eChar_->text().isEmpty()) {
            report(QStringLiteral("Nie wpisano znaku separacji"));
            return std::nullopt;
        }
        const std::string encoded = cp1250::fromUnicode(eChar_->text().left(1));
        return encoded.front();
    }
    if (id < 1) {
        report(QStringLiteral("Wybierz rodzaj separatora danych"));
        return std::nullopt;
    }
    return kFixedSeparators[id - 1].separator;
}

void TFImportSep::btnImportClick() {
    const std::optional<char> separator = chosenSeparator();
    if (!separator)
        return;
    const QString fileName = eFilename_->text();
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || !file.exists() || file.isDir()) {
        report(QStringLiteral("Plik o podanej nazwie nie istnieje!"));
        return;
    }

    const int countBefore = workspace_.taxpayers.count();
    bool imported = false;
    try {
        imported = ImportDelimited(workspace_.taxpayers, fileName, *separator);
    } catch (const std::exception& error) {
        // The lines read before the failure stay in the register: show them and keep the dialog
        // open so that the user can mend the file and try again.
        if (workspace_.taxpayers.count() != countBefore) {
            workspace_.markTaxpayersChanged();
            mainView_.RefreshView(ViewMode::vmTabela);
        }
        ShowErrorMessage(ui_, error);
        return;
    }
    if (imported)
        workspace_.markTaxpayersChanged();  // so that the close procedure asks about them
    if (!workspace_.taxpayers.empty())
        mainView_.RefreshView(ViewMode::vmTabela);
    accept();
    if (!imported)
        report(kNothingImportedMessage);
}

void TFImportSep::report(const QString& text) {
    ui_.message(QStringLiteral("Błąd"), text, MessageIcon::Warning);
}
