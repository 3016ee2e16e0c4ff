#pragma once

#include "ui/UserInterface.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

// The user-interface service of the tests. Every call is recorded in `calls`; questions, file
// dialogs and colour dialogs take their answers from the queues, front first:
//
//     ScriptedUserInterface ui;
//     ui.answers.push_back(true);                 // "Yes" to the next question
//     ui.fileNames.push_back("/tmp/x.txt");       // the next file dialog picks this file
//     ui.fileNames.push_back(std::nullopt);       // ...and the one after that is cancelled
//     ui.secrets.push_back("1234");              // the PIN typed when one is asked for
//     ui.printFiles.push_back("/tmp/print.pdf");  // the print dialog confirms, printing there
//     window.DeleteSelected();
//     QCOMPARE(ui.count(UiCall::Ask, "Czy na pewno usunąć?"), 1);
//
// A call that needs an answer while its queue is empty is a fault of the test script: it fails
// the running test at once (through `onUnexpected`) and is answered with No / Cancel, so nothing
// ever waits for a user who is not there.
struct UiCall {
    enum Kind { Message, Ask, Choose, Secret, OpenFile, SaveFile, ChooseFolder, ChooseColor, Print, Help, Url };

    Kind kind = Message;
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::None;
    QStringList buttons;    // askChoices: the buttons offered
    QString filter;         // file dialogs
    QString defaultSuffix;  // file dialogs
    QString initialPath;    // file dialogs
    QColor color;           // colour dialog: the preset colour
    QString topic;          // help
    QUrl url;               // shell request
    QStringList hiddenBehind;  // messages: the stay-on-top windows shown at the time, which hide it

    // "Ask(Pytanie: Czy na pewno usunąć?)" — for failure messages.
    QString describe() const;
};

class ScriptedUserInterface : public UserInterface {
public:
    ScriptedUserInterface();

    // Answers, taken from the front.
    std::deque<bool> answers;                      // ask(): true = Yes
    std::deque<int> choices;                       // askChoices(): the button's index, -1 = closed
    std::deque<std::optional<QString>> fileNames;  // openFile()/saveFile()/chooseFolder(): nullopt = Cancel
    std::deque<std::optional<QColor>> colors;      // chooseColor(): nullopt = Cancel
    std::deque<std::optional<QByteArray>> secrets;  // askSecret(): the bytes typed; nullopt = Cancel
    // choosePrinter(): the PDF file the "printer" writes (the test reads the print there);
    // nullopt = Cancel.
    std::deque<std::optional<QString>> printFiles;

    // Every call, in order.
    std::vector<UiCall> calls;

    // Called with a description when a call finds its answer queue empty. The default fails the
    // running QtTest function (QTest::qFail), or aborts with qFatal outside of one; a GoogleTest
    // may set it to `[](const QString& m) { ADD_FAILURE() << m.toStdString(); }`.
    std::function<void(const QString&)> onUnexpected;

    // Number of calls of a kind, optionally only those with this text (messages, questions, secrets),
    // title (file dialogs), topic (help) or URL text.
    int count(UiCall::Kind kind) const;
    int count(UiCall::Kind kind, const QString& text) const;
    // Calls of a kind, in order.
    std::vector<UiCall> callsOf(UiCall::Kind kind) const;
    // The last call; the test must know there is one.
    const UiCall& last() const;
    // True when every queued answer has been used.
    bool allAnswersUsed() const;
    // Forgets the recorded calls (queues stay).
    void clearCalls() { calls.clear(); }
    // All recorded calls, one per line — handy in a failure message.
    QString transcript() const;

    void message(const QString& title, const QString& text, MessageIcon icon) override;
    bool ask(const QString& title, const QString& text, MessageIcon icon) override;
    int askChoices(const QString& title, const QString& text, MessageIcon icon, const QStringList& buttons) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& initialPath) override;
    std::optional<QByteArray> askSecret(const QString& title, const QString& text) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    bool choosePrinter(QPrinter& printer, const QString& title) override;
    void showHelp(const QString& topic) override;
    void openUrl(const QUrl& url) override;

private:
    std::optional<QString> fileDialog(UiCall::Kind kind, const FileDialogRequest& request);
    void unexpected(const UiCall& call);
    // Records `call` and answers it from the front of `queue`; `none` (No, Cancel) when it is empty.
    template <typename Answer>
    Answer answerFrom(std::deque<Answer>& queue, const UiCall& call, std::type_identity_t<Answer> none) {
        calls.push_back(call);
        if (queue.empty()) {
            unexpected(call);
            return none;
        }
        Answer answer = std::move(queue.front());
        queue.pop_front();
        return answer;
    }
};
