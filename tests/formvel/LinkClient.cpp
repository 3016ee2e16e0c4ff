// A Fiskon's link as a process of its own, for the tests of two Fiskons sharing one forms program.
// It finds or starts the forms program as Fiskon does (through "win.ini"), with two form
// controllers as Fiskon's print and show-form dialogs have, and takes one command a line on its
// standard input, answering each with one line:
//   print SYMBOL   the print dialog's controller prints one document silently and keeps its form,
//                  as the dialog does after a batch                       -> "printed ID OK"
//   show SYMBOL    the show-form dialog's controller shows a fresh form, returning when the form
//                  window is closed                                       -> "shown ID WINDOW"
//   quit           the link shuts down as at Fiskon's end: its forms are destroyed, the forms
//                  program released                                       -> "bye"
#include "forms/TSterFormVEL.h"
#include "forms/lform.h"
#include "platform/LinuxWindowSystem.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

void Answer(const QByteArray& line) {
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

void Prepare(TSterFormVEL& controller, const QByteArray& symbol) {
    controller.SetActive(false);
    controller.SetSymbol(symbol);
    controller.SetIdentyfikator(symbol);
    controller.SetFields({"p19=NOWAK", "p20=ANNA", "p35=1000,00"});
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    LinuxWindowSystem system;
    lform::setWindowSystem(&system);
    TSterFormVEL printing;
    TSterFormVEL showing;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
        const QList<QByteArray> words = QByteArray(buffer).trimmed().split(' ');
        const QByteArray& command = words[0];
        const QByteArray symbol = words.value(1);
        try {
            if (command == "print") {
                Prepare(printing, symbol);
                printing.SilentPrint = true;
                printing.SetActive(true);
                const bool printed = printing.Print();
                printing.FinishDocument();
                Answer("printed " + QByteArray::number(printing.formId()) + ' ' + (printed ? '1' : '0'));
            } else if (command == "show") {
                Prepare(showing, symbol);
                showing.ReadOnly = true;
                const std::uint16_t window = showing.Show();
                Answer("shown " + QByteArray::number(showing.formId()) + ' ' + QByteArray::number(window));
            } else if (command == "quit") {
                lform::LinkShutdown();
                Answer("bye");
                break;
            } else {
                Answer("unknown");
            }
        } catch (const ESterFormVEL& error) {
            Answer("error " + QByteArray(error.what()));
        }
    }
    lform::setWindowSystem(nullptr);
    return 0;
}
