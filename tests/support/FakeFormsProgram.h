#pragma once

#include "platform/AtomTable.h"
#include "platform/WindowSystem.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

// A forms program in the test's own process: the whole window system the link sees. It plays
// the forms window, keeps a real atom table, records every request and answers from a script.
//
//     FakeFormsProgram forms;               // a running forms program of class "Tformularze_VEL"
//     lform::setWindowSystem(&forms);
//     forms.fieldsReply = "p1=Kowalski\r\n";
//     ... drive the link or the controller ...
//     EXPECT_EQ(forms.requests[0].code, 1);
//     EXPECT_EQ(forms.requests[0].lines, (QList<QByteArray>{"PIT11", "PIT11", "3"}));
//     EXPECT_EQ(forms.atoms(), 0);          // every atom of every request deleted again
//
// Without a running window (`running = false`) the program appears on a successful start
// (startProcess) when `appearsOnStart` is set.
struct FakeRequest {
    std::uint8_t code = 0;     // low byte of wParam
    std::uint8_t options = 0;  // second byte of wParam
    std::int32_t lParam = 0;
    WindowHandle window = 0;   // the window it was sent to

    std::uint16_t low() const { return loWord(static_cast<std::uint32_t>(lParam)); }
    std::uint16_t high() const { return hiWord(static_cast<std::uint32_t>(lParam)); }

    // The text of the atom (or atom chain) in the high word, read when the request arrived:
    // `text` re-assembled whole, `lines` the text cut at each CR LF (the last CR LF ends the
    // last line). Both empty when the request carries no atom or an unknown one.
    QByteArray text;
    QList<QByteArray> lines;
    int chainAtoms = 0;        // atoms the text was read from
};

class FakeFormsProgram : public WindowSystem {
public:
    explicit FakeFormsProgram(QByteArray formsClass = "Tformularze_VEL");

    // --- the forms program ----------------------------------------------------------------
    QByteArray formsClass;
    WindowHandle formsWindow = 0x0A10;   // its handle while it runs
    bool running = true;                 // its window exists now
    bool appearsOnStart = true;          // a successful startProcess makes it run...
    int seeksBeforeAppearing = 0;        // ...after that many further findWindow calls
    bool startedProgramEnds = false;     // a started program ends at once (no window comes)
    void die();                          // every window of the program gone (forms and shown forms)

    // --- the script -----------------------------------------------------------------------
    std::int32_t version = 5;            // code 0
    std::int32_t nextFormId = 1;              // code 1 answers this and counts up; 0 refuses every create
    std::int32_t destroyReply = 0;       // code 2
    // Code 3: a form window (handles from hex 0B00 up) that exists for this many waitMessage
    // calls, or until closeFormWindows() when negative. showRefused: the reply is 0.
    int formWindowWaits = 1;
    bool showRefused = false;
    std::int32_t fieldsAccepted = 1;     // code 5: 0 refuses the field list
    std::int32_t printReply = 1;         // code 8
    std::int32_t oldPrintDialogReply = makeLong(1, 2);  // code 9 (the print dialog of version 3)
    std::int32_t printDialogOpened = 1;  // code 13
    int printDialogPolls = 1;            // code 12 answers 1 at this poll, 0 before
    std::int32_t printRange = makeLong(2, 3);  // code 11
    std::int32_t formState = 1;          // code 10
    std::int32_t endDocumentReply = 7;   // code 15
    QByteArray fieldsReply;              // code 6: sent back as an atom chain; empty: reply 0
    QByteArray errorsReply;              // code 17, likewise
    std::map<int, std::int32_t> replies; // code -> reply, overriding everything above

    void closeFormWindows();
    // Called on each waitMessage / handleOneMessage, before the form windows age.
    std::function<void()> onWait;
    // What the user does when the program takes input (pumpMessages); pumpRequests leaves it
    // waiting.
    std::function<void()> onUserInput;
    // Called as each request arrives, before it is answered.
    std::function<void(const FakeRequest&)> onRequest;

    // --- what happened ----------------------------------------------------------------------
    std::vector<FakeRequest> requests;
    QStringList windowCalls;             // "disable 4660", "enable 4660", "foreground 0"
    QStringList startedCommands;         // command lines given to startProcess
    std::vector<int> startShowCommands;
    std::deque<int> startResults;        // the results of the next starts, front first; then 33
    QMap<QString, QString> profile;      // "formularze/katalog" -> value
    QStringList profileReads;            // "formularze/katalog" for each read
    int findWindowCalls = 0;
    int waits = 0;                       // waitMessage + handleOneMessage calls
    int pumps = 0;
    int sleptMilliseconds = 0;           // sleep() adds here and returns at once

    int atoms() const { return atoms_.table().count(); }
    int atomsLeft = -1;                  // atoms the table still makes for the link; negative: no limit
    // Codes of the recorded requests, in order.
    std::vector<int> codes() const;

    // --- WindowSystem -------------------------------------------------------------------------
    WindowHandle findWindow(const QByteArray& className) override;
    bool isWindow(WindowHandle window) override;
    std::int32_t sendMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                             std::int32_t lParam) override;
    bool enableWindow(WindowHandle window, bool enable) override;
    bool setForegroundWindow(WindowHandle window) override;
    WindowHandle registerWindow(const LocalWindow& window) override;
    void unregisterWindow(WindowHandle window) override;
    Atom addAtom(const QByteArray& name) override;
    QByteArray atomName(Atom atom, int bufferSize) override;
    Atom deleteAtom(Atom atom) override;
    int startProcess(const QString& commandLine, int showCommand) override;
    bool startedProcessRunning() override { return !startedProgramEnds; }
    QString profileString(const QString& section, const QString& key, const QString& fallback) override;
    void pumpMessages() override;
    void pumpRequests() override;
    void waitMessage() override;
    bool handleOneMessage() override;
    void sleep(int milliseconds) override;

private:
    std::int32_t answer(const FakeRequest& request);
    Atom replyChain(const QByteArray& text);
    QByteArray readChain(Atom head, int* atomsRead);
    void ageFormWindows();

    mutable LocalAtomTable atoms_;
    int pendingSeeks_ = -1;  // findWindow calls left before a started program appears
    int polls_ = 0;
    WindowHandle nextFormWindow_ = 0x0B00;
    std::map<WindowHandle, int> formWindows_;  // handle -> waits left (negative: until closed)
    std::map<WindowHandle, LocalWindow> localWindows_;
    WindowHandle nextLocal_ = 0x0C00;
};
