#include "import/widgets/TFExportSep.h"

#include "import/DelimitedExport.h"
#include "import/widgets/DelimitedFileControls.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"
#include "store/Workspace.h"
#include "ui/UserInterface.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TFExportSep::TFExportSep(Workspace& workspace, UserInterface& ui, QWidget* parent)
    : QDialog(parent), workspace_(workspace), ui_(ui) {
    setObjectName(QStringLiteral("FExportSep"));
    setWindowTitle(QStringLiteral("Eksport danych rozseparowanych znakiem"));

    QGroupBox* fileGroup = NewFileNameGroup(this, true, &eFilename_, &btnSelect_);
    separators_ = std::make_unique<SeparatorChoice>(this);

    lblNote_ = new QLabel(QStringLiteral(
        "Zapisywani są wszyscy podatnicy, po jednym w wierszu, w formacie importu danych rozseparowanych "
        "(108 wartości, strona kodowa 1250). Format nie przechowuje okresu PIT-11/8B (od–do) ani identyfikatora "
        "z bazy Płatnika – po imporcie te dane będą puste.\n"
        "Wartości zaczynające się od =, +, - lub @ są zapisywane bez zmian; arkusz kalkulacyjny może je "
        "potraktować jak formuły."));
    lblNote_->setObjectName(QStringLiteral("lblNote"));
    lblNote_->setWordWrap(true);
    lblNote_->setMaximumWidth(460);

    btnExport_ = new QPushButton(QStringLiteral("Eksportuj"));
    btnExport_->setObjectName(QStringLiteral("btnExport"));
    btnExport_->setDefault(true);
    Button1_ = new QPushButton(QStringLiteral("Anuluj"));
    Button1_->setObjectName(QStringLiteral("Button1"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(btnExport_);
    buttonRow->addWidget(Button1_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileGroup);
    layout->addWidget(separators_->group());
    layout->addWidget(lblNote_);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnSelect_, &QToolButton::clicked, this, &TFExportSep::btnSelectClick);
    connect(btnExport_, &QPushButton::clicked, this, &TFExportSep::btnExportClick);
    connect(Button1_, &QPushButton::clicked, this, &TFExportSep::reject);
}

TFExportSep::~TFExportSep() = default;

void TFExportSep::btnSelectClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Eksportowanie danych podatników...");
    request.filter = QStringLiteral("Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("*.txt");
    request.initialPath = eFilename_->text();
    if (const auto chosen = ui_.saveFile(request)) {
        eFilename_->setText(*chosen);
        confirmed_ = *chosen;  // the save dialog has asked about replacing it
    }
}

void TFExportSep::btnExportClick() {
    const std::optional<char> separator = separators_->chosen([this](const QString& text) { report(text); });
    if (!separator) return;
    const QString fileName = eFilename_->text().trimmed();
    if (fileName.isEmpty()) {
        report(QStringLiteral("Wskaż plik, do którego mają trafić dane."));
        return;
    }
    if (QFileInfo(fileName).isDir()) {
        report(QStringLiteral("%1 jest folderem – podaj nazwę pliku.").arg(QDir::toNativeSeparators(fileName)));
        return;
    }
    if (QFileInfo::exists(fileName) && fileName != confirmed_ &&
        !ui_.ask(QStringLiteral("Pytanie"),
                 QStringLiteral("Plik %1 już istnieje. Czy chcesz go zastąpić?").arg(QDir::toNativeSeparators(fileName)),
                 MessageIcon::Question))
        return;
    if (workspace_.taxpayers.empty()) {
        ui_.message(QStringLiteral("Błąd"), QStringLiteral("Nie ma żadnych danych do zapisania!"), MessageIcon::Information);
        return;
    }
    try {
        ExportDelimited(workspace_.taxpayers, fileName, *separator);
    } catch (const DelimitedExportError& error) {
        report(error.message());
        return;
    } catch (const FileError& error) {
        ui_.message(QStringLiteral("Błąd"), error.message(), MessageIcon::Error);
        return;
    }
    accept();
    const long long count = workspace_.taxpayers.count();
    ui_.message(QStringLiteral("Informacja"),
                QStringLiteral("Zapisano dane %1 %2 w pliku %3.")
                    .arg(count)
                    .arg(PolishPlural(count, QStringLiteral("podatnika"), QStringLiteral("podatników"),
                                      QStringLiteral("podatników")),
                         QDir::toNativeSeparators(fileName)),
                MessageIcon::Information);
}

void TFExportSep::report(const QString& text) {
    ui_.message(QStringLiteral("Błąd"), text, MessageIcon::Warning);
}
