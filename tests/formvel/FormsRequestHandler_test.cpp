#ifdef FORMVEL_HAS_APP

#include "FakeWindowSystem.h"
#include "FormSamples.h"
#include "ProtocolClient.h"

#include "formvel/FormPrinting.h"
#include "formvel/app/FormIdCounter.h"
#include "formvel/app/FormPageView.h"
#include "formvel/app/FormPrintJobs.h"
#include "formvel/app/FormWindow.h"
#include "formvel/app/FormsRequestHandler.h"
#include "formvel/app/FormsServerLifetime.h"
#include "store/Cp1250.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QPrintDialog>
#include <QPrinter>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(const QString& text) { return QByteArray::fromStdString(cp1250::fromUnicode(text)); }

QString Text(const QByteArray& bytes) {
    return cp1250::toUnicode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// The handler answering as the forms window of a fake window system, the home folder in a
// temporary place (documents go there), and the check that no atom is left behind.
class RequestHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        qputenv("HOME", home_.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        handler_ = std::make_unique<FormsRequestHandler>(system_);
        LocalWindow window;
        window.className = "Tformularze_VEL";
        window.procedure = [this](std::uint32_t m, std::uint32_t w, std::int32_t l) { return handler_->handle(m, w, l); };
        server_ = system_.registerWindow(window);
        client_ = std::make_unique<ProtocolClient>(system_, server_);
    }
    void TearDown() override {
        handler_.reset();
        EXPECT_EQ(system_.atomCount(), 0u) << "atoms left behind";
    }

    // A form with the whole PIT-11/8B sample, formatted.
    int FilledPit11() {
        const int id = client_->create("PIT118B_14");
        EXPECT_GT(id, 0);
        EXPECT_EQ(client_->sendChain(5, id, FullPit11Fields(), 1), 1);
        return id;
    }
    QByteArray Fields(int id, bool convert) { return client_->readReply(client_->send(6, makeLong(static_cast<std::uint16_t>(id), 0), convert ? 1 : 0)); }

    QTemporaryDir home_;
    FakeWindowSystem system_;
    std::unique_ptr<FormsRequestHandler> handler_;
    WindowHandle server_ = 0;
    std::unique_ptr<ProtocolClient> client_;
};

}  // namespace

TEST_F(RequestHandlerTest, CreateFillReadBackStateScaleErrorsAndDestroy) {
    EXPECT_EQ(client_->send(0, 0), 5);
    const int id = FilledPit11();
    EXPECT_NE(client_->create("PIT40_13"), id);

    // Long lists travel both ways as chains; with and without Fiskon's formats.
    const QByteArray shown = Fields(id, false);
    const QByteArray converted = Fields(id, true);
    EXPECT_GT(shown.size(), 1000);
    EXPECT_TRUE(shown.contains("p34=2 258,44\r\n"));
    EXPECT_TRUE(converted.contains("p34=2258,44\r\n"));
    EXPECT_TRUE(Text(converted).contains("p20=ŹDZIEBŁOWSKA-GĘŚ\r\n"));
    EXPECT_EQ(Text(converted).split("\r\n", Qt::SkipEmptyParts).size(), Text(FullPit11Fields()).split("\r\n", Qt::SkipEmptyParts).size());

    // Formatting changed the values: the state says so until the shown values come back unformatted.
    EXPECT_EQ(client_->send(10, id), 1);
    EXPECT_EQ(client_->sendChain(5, id, shown, 0), 1);
    EXPECT_EQ(client_->send(10, id), 0);

    // Errors: none for the sample; a wrong NIP is named by its box.
    EXPECT_EQ(client_->send(17, makeLong(static_cast<std::uint16_t>(id), 0)), 0);
    QByteArray wrong = FullPit11Fields();
    wrong.replace("p19=123-456-32-18", "p19=123-456-32-19");
    EXPECT_EQ(client_->sendChain(5, id, wrong, 1), 1);
    EXPECT_TRUE(client_->readReply(client_->send(17, makeLong(static_cast<std::uint16_t>(id), 0))).startsWith("Poz. 19: "));

    // A PIT-40 calculated with an own tax scale.
    const int pit40 = client_->create("PIT40_14");
    EXPECT_EQ(client_->sendChain(9, pit40, "0;10;0,00\r\n"), 1);
    EXPECT_EQ(client_->sendChain(5, pit40, "p35=40000,00\r\np36=1335,00\r\np38=5000,00\r\np66=5000,00\r\np73=2500,00\r\n", 3), 1);
    EXPECT_TRUE(Fields(pit40, true).contains("p69=3366,50\r\n"));

    EXPECT_GT(client_->send(15, id), 0);
    EXPECT_EQ(client_->send(2, id), 0);
    EXPECT_EQ(handler_->document(id), nullptr);
    EXPECT_EQ(Fields(id, true), "");
    EXPECT_EQ(client_->send(10, pit40), 1);  // calculated: not what it received
}

// Every kind of request that is not right gets 0 and leaves the form as it was.
TEST_F(RequestHandlerTest, MalformedRequestsAnswerZeroAndChangeNothing) {
    const int id = FilledPit11();
    const QByteArray before = Fields(id, false);
    const int missing = id + 100;
    for (int code : {7, 14, 16, 18, 200}) EXPECT_EQ(client_->send(code, id), 0) << code;
    EXPECT_EQ(system_.sendMessage(server_, 0x0401, 0, 0), 0);  // another message number

    // Ids the program never gave out.
    EXPECT_EQ(client_->sendText(3, missing, "x\r\n0\r\n0\r\n"), 0);
    EXPECT_EQ(client_->sendChain(5, missing, "p20=X\r\n", 1), 0);
    EXPECT_EQ(client_->send(6, makeLong(static_cast<std::uint16_t>(missing), 0)), 0);
    EXPECT_EQ(client_->sendText(8, missing, "0\r\n1\r\n999\r\n\r\n1\r\n0\r\n"), 0);
    EXPECT_EQ(client_->sendChain(9, missing, "0;10;0\r\n"), 0);
    for (int code : {10, 11, 12, 15}) EXPECT_EQ(client_->send(code, missing), 0) << code;
    EXPECT_EQ(client_->sendText(13, missing, "0\r\n\r\n\r\n\r\n"), 0);
    EXPECT_EQ(client_->send(17, makeLong(static_cast<std::uint16_t>(missing), 0)), 0);

    // Texts that are not what the request carries.
    EXPECT_EQ(client_->sendText(1, 0, "PIT11_99\r\nx\r\n3\r\n"), 0);
    EXPECT_EQ(client_->sendText(1, 0, "PIT40_14\r\n"), 0);
    EXPECT_EQ(client_->send(1, 0), 0);  // no atom at all
    EXPECT_EQ(client_->sendText(3, id, "Tytuł\r\n0\r\nxyz\r\n"), 0);
    EXPECT_EQ(client_->sendText(3, id, "Tytuł\r\n0\r\n"), 0);
    EXPECT_EQ(client_->sendChain(5, id, "p20=X\r\nto nie jest pole\r\n", 1), 0);
    EXPECT_EQ(client_->sendChain(5, id, "p20=X\r\n", 8), 0);  // an option the protocol does not have
    EXPECT_EQ(client_->send(5, makeLong(static_cast<std::uint16_t>(id), 0xBEEF)), 0);  // a chain that is not there
    EXPECT_EQ(client_->sendChain(9, id, "0;19\r\n"), 0);
    EXPECT_EQ(client_->sendText(8, id, "0\r\n1\r\n999\r\n"), 0);
    EXPECT_EQ(client_->sendText(8, id, "0\r\n1\r\n999\r\n\r\ntak\r\n0\r\n"), 0);
    EXPECT_EQ(client_->sendText(13, id, "0\r\nx\r\n\r\n\r\n"), 0);
    EXPECT_EQ(Fields(id, false), before);
    EXPECT_EQ(handler_->formCount(), 1);
    EXPECT_EQ(handler_->window(id), nullptr);
}

// Show returns a registered window at once; closing it ends "is window", the form stays, and the
// values the user typed come back.
TEST_F(RequestHandlerTest, ShowOpensAWindowThatLivesUntilTheUserClosesIt) {
    const int id = FilledPit11();
    const std::int32_t handle = client_->sendText(3, id, Bytes("Podgląd formularza\r\n0\r\n0\r\n"));
    ASSERT_NE(handle, 0);
    EXPECT_TRUE(system_.isWindow(static_cast<WindowHandle>(handle)));
    FormWindow* window = handler_->window(id);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Podgląd formularza");
    EXPECT_TRUE(window->findChild<QAction*>("btnZapiszPdf")->isVisible());

    // The user types an amount: shown formatted, the state reports the change.
    FormPageView* view = window->pageView();
    const int box = handler_->document(id)->layout().indexOf("p75");
    ASSERT_TRUE(view->editBox(box));
    auto* editor = view->findChild<QLineEdit*>("edtPole");
    editor->setText("12345,6");
    view->commitEdit();
    EXPECT_EQ(client_->send(10, id), 1);

    // Shown again read-only without the save button: the same window.
    EXPECT_EQ(client_->sendText(3, id, "Inny\r\n0\r\n80\r\n"), handle);
    EXPECT_EQ(window->windowTitle(), "Inny");
    EXPECT_FALSE(window->findChild<QAction*>("btnZapiszPdf")->isVisible());
    EXPECT_FALSE(view->editBox(box));

    QSignalSpy lastClosed(handler_.get(), &FormsRequestHandler::lastWindowClosed);
    system_.sendMessage(static_cast<WindowHandle>(handle), 0x0010, 0, 0);  // WM_CLOSE
    QTRY_COMPARE(lastClosed.count(), 1);
    EXPECT_FALSE(system_.isWindow(static_cast<WindowHandle>(handle)));
    EXPECT_TRUE(Fields(id, false).contains("p75=12 345,60\r\n"));
    EXPECT_TRUE(Fields(id, true).contains("p75=12345,60\r\n"));
}

// Escape while typing into a box only ends the typing; Escape (or Ctrl+W) on the window closes it.
TEST_F(RequestHandlerTest, EscapeEndsTheTypingFirstAndThenClosesTheWindow) {
    const int id = FilledPit11();
    const std::int32_t handle = client_->sendText(3, id, Bytes("Podgląd formularza\r\n0\r\n0\r\n"));
    FormWindow* window = handler_->window(id);
    ASSERT_TRUE(window);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    FormPageView* view = window->pageView();
    ASSERT_TRUE(view->editBox(handler_->document(id)->layout().indexOf("p75")));
    auto* editor = view->findChild<QLineEdit*>("edtPole");
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(window->isVisible());

    QSignalSpy lastClosed(handler_.get(), &FormsRequestHandler::lastWindowClosed);
    QTest::keyClick(view, Qt::Key_Escape);
    QTRY_COMPARE(lastClosed.count(), 1);
    EXPECT_FALSE(system_.isWindow(static_cast<WindowHandle>(handle)));
}

// Flag 128: closing a changed form asks; "Nie" takes the values back to those shown, "Anuluj" keeps
// the window open. Tab moves the editing to the next box that takes typed text.
TEST_F(RequestHandlerTest, ChangedFormAsksBeforeClosing) {
    const int id = client_->create("PIT40_14");
    ASSERT_EQ(client_->sendChain(5, id, "p19=NOWAK\r\np35=1000,00\r\n", 3), 1);
    const std::int32_t handle = client_->sendText(3, id, "x\r\n0\r\n128\r\n");
    FormWindow* window = handler_->window(id);
    ASSERT_TRUE(window);
    FormPageView* view = window->pageView();
    const FormLayout& layout = handler_->document(id)->layout();
    EXPECT_FALSE(view->editBox(layout.indexOf("p37")));  // computed: the calculation owns it
    ASSERT_TRUE(view->editBox(layout.indexOf("p19")));
    auto* editor = view->findChild<QLineEdit*>("edtPole");
    editor->setText("KOWALSKA");
    QTest::keyClick(editor, Qt::Key_Tab);  // kept, and on to box 20
    EXPECT_EQ(handler_->document(id)->value("p19"), "KOWALSKA");
    editor->setText("ANNA");
    view->commitEdit();

    auto answer = [](QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            EXPECT_EQ(box->text(), "Formularz został zmieniony. Czy zachować wprowadzone zmiany?");
            box->button(button)->click();
        });
    };
    answer(QMessageBox::Cancel);
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(system_.isWindow(static_cast<WindowHandle>(handle)));
    answer(QMessageBox::No);
    window->close();
    QTRY_VERIFY(!system_.isWindow(static_cast<WindowHandle>(handle)));
    EXPECT_EQ(handler_->document(id)->value("p19"), "NOWAK");
    EXPECT_EQ(handler_->document(id)->value("p20"), "");
}

// Print with no printer in the system: a PDF in the documents folder, said in the window's status.
// The print dialog does not block; 12 tells when it is closed, 11 gives the range; later
// documents of the batch each get their own file beside the chosen one.
TEST_F(RequestHandlerTest, PrintAndPrintDialogWithABatch) {
    if (!AvailablePrinterNames().isEmpty()) GTEST_SKIP() << "this system has printers";
    const int id = FilledPit11();
    ASSERT_NE(client_->sendText(3, id, "\r\n0\r\n0\r\n"), 0);
    EXPECT_EQ(client_->send(11, id), 0);  // nothing printed yet
    EXPECT_EQ(client_->sendText(8, id, "0\r\n2\r\n2\r\nPIT\r\n1\r\n0\r\n"), 1);
    const QString silentFile = handler_->printJobs().lastOutputFile();
    EXPECT_TRUE(silentFile.startsWith(home_.path()));
    EXPECT_EQ(PdfPageCount(silentFile), 1);
    EXPECT_EQ(client_->send(11, id), makeLong(2, 2));
    EXPECT_TRUE(handler_->window(id)->statusBar()->currentMessage().contains(QDir::toNativeSeparators(silentFile)));

    EXPECT_EQ(client_->sendText(13, id, "0\r\n\r\n\r\n\r\n"), 1);
    EXPECT_EQ(client_->send(12, id), 0);
    QPrintDialog* dialog = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* candidate = qobject_cast<QPrintDialog*>(widget); candidate && candidate->isVisible()) dialog = candidate;
    for (QWidget* widget : handler_->window(id)->findChildren<QPrintDialog*>())
        if (widget->isVisible()) dialog = static_cast<QPrintDialog*>(widget);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal() && QApplication::activeModalWidget() == nullptr);
    dialog->accept();
    QTRY_COMPARE(client_->send(12, id), 1);
    EXPECT_EQ(client_->send(11, id), makeLong(1, 2));
    const QString chosen = handler_->printJobs().lastOutputFile();
    EXPECT_EQ(PdfPageCount(chosen), 2);

    // Two more documents of the batch, the second for the same taxpayer: three files, none overwritten.
    EXPECT_GT(client_->send(15, id), 0);
    ASSERT_EQ(client_->sendChain(5, id, Bytes("p20=NOWAK\r\np21=ŁUCJA\r\n"), 1), 1);
    EXPECT_EQ(client_->sendText(8, id, "0\r\n1\r\n999\r\n\r\n0\r\n0\r\n"), 1);
    const QString second = handler_->printJobs().lastOutputFile();
    EXPECT_EQ(client_->sendText(8, id, "0\r\n1\r\n999\r\n\r\n0\r\n0\r\n"), 1);
    const QString third = handler_->printJobs().lastOutputFile();
    EXPECT_EQ(QFileInfo(second).absolutePath(), QFileInfo(chosen).absolutePath());
    // Each named after its own taxpayer, not after the first one's file name.
    EXPECT_EQ(QFileInfo(second).fileName(), QStringLiteral("PIT-11-8B_NOWAK_ŁUCJA.pdf")) << chosen.toStdString();
    EXPECT_EQ(QFileInfo(third).fileName(), QStringLiteral("PIT-11-8B_NOWAK_ŁUCJA (2).pdf"));
    for (const QString& file : {chosen, second, third}) EXPECT_EQ(PdfPageCount(file), 2) << file.toStdString();

    // A dialog the user cancels is finished too, and gives no range.
    EXPECT_EQ(client_->sendText(13, id, "0\r\n1\r\n1\r\n\r\n"), 1);
    QPrintDialog* again = nullptr;
    for (QPrintDialog* candidate : handler_->window(id)->findChildren<QPrintDialog*>("dlgDrukuj"))
        if (candidate->isVisible()) again = candidate;
    ASSERT_TRUE(again);
    EXPECT_EQ(client_->send(12, id), 0);
    again->reject();
    QTRY_COMPARE(client_->send(12, id), 1);
    EXPECT_EQ(client_->send(11, id), 0);
}

// Two clients: each reaches its own forms only. Every request on the other's form is answered as
// for no form (a destroy with 0, as "nothing of yours left") and the form stays as it was.
TEST_F(RequestHandlerTest, AClientReachesOnlyItsOwnForms) {
    const MessageSender first {4101, 77};
    const MessageSender second {4102, 78};
    system_.sender = first;
    const int id = FilledPit11();
    const QByteArray before = Fields(id, false);
    ASSERT_NE(client_->sendText(3, id, "x\r\n0\r\n0\r\n"), 0);

    system_.sender = second;
    const int own = client_->create("PIT40_14");
    EXPECT_NE(own, id);
    const auto withAtom = makeLong(static_cast<std::uint16_t>(id), 0);
    EXPECT_EQ(client_->sendText(3, id, "x\r\n0\r\n0\r\n"), 0);
    EXPECT_EQ(client_->sendChain(5, id, "p20=X\r\n", 1), 0);
    EXPECT_EQ(client_->send(6, withAtom), 0);
    EXPECT_EQ(client_->sendText(8, id, "0\r\n1\r\n999\r\n\r\n1\r\n0\r\n"), 0);
    EXPECT_EQ(client_->sendChain(9, id, "0;10;0,00\r\n"), 0);
    for (int code : {10, 11, 12, 15}) EXPECT_EQ(client_->send(code, id), 0) << code;
    EXPECT_EQ(client_->sendText(13, id, "0\r\n\r\n\r\n\r\n"), 0);
    EXPECT_EQ(client_->send(17, withAtom), 0);
    EXPECT_EQ(client_->send(2, id), 0);  // "gone" for this client...
    ASSERT_NE(handler_->document(id), nullptr);  // ...while the form and its window stay
    EXPECT_NE(handler_->window(id), nullptr);
    client_->send(4, 0);  // its release takes its own forms only
    QTest::qWait(10);
    EXPECT_EQ(handler_->document(own), nullptr);

    system_.sender = first;
    EXPECT_EQ(Fields(id, false), before);
    EXPECT_EQ(client_->send(2, id), 0);
    EXPECT_EQ(handler_->formCount(), 0);
}

// The server stays while any client holds a form, with or without a window; it ends on the last
// client's release, or once the clients that hold forms have ended without one.
TEST_F(RequestHandlerTest, ServerEndsOnlyWhenNoClientHoldsAForm) {
    FormsServerLifetime lifetime(*handler_, 50);
    QSignalSpy finished(&lifetime, &FormsServerLifetime::finished);
    const MessageSender printing {4201, 5};
    const MessageSender showing {4202, 6};
    system_.sender = printing;
    const int printed = FilledPit11();  // printed and kept, never shown
    system_.sender = showing;
    const int shown = FilledPit11();
    const std::int32_t handle = client_->sendText(3, shown, "x\r\n0\r\n0\r\n");
    system_.sendMessage(static_cast<WindowHandle>(handle), 0x0010, 0, 0);  // the user closes it
    QTRY_VERIFY(!system_.isWindow(static_cast<WindowHandle>(handle)));
    QTest::qWait(200);
    EXPECT_EQ(finished.count(), 0);
    client_->send(4, 0);  // the showing client goes: the printing one still holds its form
    QTest::qWait(200);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(handler_->document(shown), nullptr);
    EXPECT_NE(handler_->document(printed), nullptr);

    // The printing client is killed: it never releases, and its form is dropped after a quiet spell.
    system_.ended.push_back(printing);
    QTRY_COMPARE(finished.count(), 1);
    EXPECT_EQ(handler_->formCount(), 0);

    // With nobody else left, a release ends the program at once.
    system_.sender = showing;
    ASSERT_GT(FilledPit11(), 0);
    client_->send(4, 0);
    QTRY_COMPARE(finished.count(), 2);
}

// Ids go on from one lifetime of the program to the next, block by block, and skip ids in use.
TEST(FormIdCounter, IdsAreNotGivenAgainByTheNextProgram) {
    QTemporaryDir folder;
    const QString file = folder.filePath("formvel-ids");
    const auto none = [](int) { return false; };
    FormIdCounter first(file);
    EXPECT_EQ(first.next(none), 1);
    EXPECT_EQ(first.next([](int id) { return id == 2 || id == 3; }), 4);
    FormIdCounter second(file);  // the next program, while the first one's ids are still held
    EXPECT_EQ(second.next(none), FormIdCounter::kBlock + 1);
    for (int i = 2; i <= FormIdCounter::kBlock; ++i) second.next(none);
    FormIdCounter third(file);
    EXPECT_EQ(third.next(none), 2 * FormIdCounter::kBlock + 1);

    // The last id is followed by 1; without a file the ids go on in memory.
    QFile last(file);
    ASSERT_TRUE(last.open(QIODevice::WriteOnly));
    last.write("65535\n");
    last.close();
    FormIdCounter wrapping(file);
    EXPECT_EQ(wrapping.next(none), 1);
    FormIdCounter memory;
    EXPECT_EQ(memory.next([](int id) { return id == 1; }), 2);
    EXPECT_EQ(memory.next([](int) { return true; }), 0);  // every id in use
}

#endif
