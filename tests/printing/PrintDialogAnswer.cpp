// A Qt plugin for the printing tests. Loaded into our forms program with
//     QT_QPA_GENERIC_PLUGINS=fiskonprintdialoganswer:PRINTER
// (and QT_PLUGIN_PATH naming the folder above "generic"), it answers the program's print dialog as a
// user would: it chooses PRINTER in the dialog's list of printers and confirms the dialog (or
// cancels it when PRINTER is not listed). The program itself carries no test code for it.

#include <QApplication>
#include <QComboBox>
#include <QGenericPlugin>
#include <QPrintDialog>
#include <QTimer>

#include <cstdio>

namespace {

class PrintDialogAnswer : public QObject {
public:
    explicit PrintDialogAnswer(QString printer) : printer_(std::move(printer)) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &PrintDialogAnswer::answer);
        timer->start(100);
    }

private:
    void answer() {
        for (QWidget* widget : QApplication::allWidgets()) {
            auto* dialog = qobject_cast<QPrintDialog*>(widget);
            if (!dialog || !dialog->isVisible() || dialog->property("fiskonAnswered").toBool()) continue;
            dialog->setProperty("fiskonAnswered", true);
            auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
            const int index = printers ? printers->findText(printer_) : -1;
            if (index < 0) {
                // Cancelled, so that the batch stops and the test waiting for the jobs fails.
                std::fprintf(stderr, "print dialog answer: no printer \"%s\" in the print dialog\n", qPrintable(printer_));
                dialog->reject();
                continue;
            }
            printers->setCurrentIndex(index);
            dialog->accept();
        }
    }

    QString printer_;
};

}  // namespace

class PrintDialogAnswerPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "PrintDialogAnswer.json")
public:
    QObject* create(const QString& key, const QString& parameters) override {
        if (key.compare(QStringLiteral("fiskonprintdialoganswer"), Qt::CaseInsensitive) != 0) return nullptr;
        return new PrintDialogAnswer(parameters);
    }
};

#include "PrintDialogAnswer.moc"
