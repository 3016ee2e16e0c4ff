// The link to the forms program against a forms program played in this process.
#include "forms/AtomChain.h"
#include "forms/LinkState.h"
#include "forms/lform.h"
#include "support/FakeFormsProgram.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

namespace {

using Lines = QList<QByteArray>;

class FormsLink : public ::testing::Test {
protected:
    FakeFormsProgram forms;
    int busyNow = 0;
    int busyChanges = 0;

    void SetUp() override {
        lform::setWindowSystem(&forms);
        lform::setBusyCursorHook([this](bool busy) {
            busyNow = busy ? 1 : 0;
            ++busyChanges;
        });
        lform::LinkInit();
    }
    void TearDown() override {
        EXPECT_EQ(busyNow, 0) << "the hourglass stayed on";
        lform::LinkShutdown();
        lform::setBusyCursorHook({});
        lform::setWindowSystem(nullptr);
    }
    // Finds the running forms program and forgets the requests of the discovery.
    void connect() {
        ASSERT_TRUE(lform::ConnectFormsProgram(false));
        forms.requests.clear();
    }
    const FakeRequest& last() const { return forms.requests.back(); }
};

QByteArray repeated(int length) {
    QByteArray text;
    for (int i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

TEST_F(FormsLink, FieldListTravelsAsAChainOf240BytePiecesAndEveryAtomIsDeletedAfterwards) {
    connect();
    struct Case { int length; int atoms; };
    for (const Case& c : std::vector<Case>{{0, 0}, {1, 1}, {239, 1}, {240, 1}, {241, 2}, {480, 2}, {481, 3},
                                           {20'000, 84}}) {
        SCOPED_TRACE(c.length);
        const QByteArray text = repeated(c.length);
        EXPECT_EQ(lform::SendFields(7, text, 1 + 2 + 4), c.length);
        EXPECT_EQ(last().code, 5);
        EXPECT_EQ(last().options, 7);
        EXPECT_EQ(last().low(), 7);
        EXPECT_EQ(last().chainAtoms, c.atoms);
        EXPECT_EQ(last().text, text);
        EXPECT_EQ(last().high() == 0, c.length == 0);
        EXPECT_EQ(forms.atoms(), 0);
    }
}

TEST_F(FormsLink, ChainPiecesAreCutAsTheProtocolSays) {
    // 480 bytes: the first piece holds 240 bytes, the byte 1 and the second piece's atom; the
    // last piece (empty) makes no atom.
    const QList<Atom> chain = MakeAtomChain(forms, repeated(480)).value();
    ASSERT_EQ(chain.size(), 3);
    EXPECT_EQ(chain[0], 0);
    EXPECT_EQ(forms.atomName(chain[1], 256), repeated(480).mid(240));
    EXPECT_EQ(forms.atomName(chain[2], 256), repeated(240) + '\x01' + QByteArray::number(chain[1]));
    DeleteAtomChain(forms, chain);
    EXPECT_EQ(forms.atoms(), 0);
}

TEST_F(FormsLink, TaxScaleUsesCode9AndNothingIsSentWithoutTextIdOrWindow) {
    connect();
    EXPECT_EQ(lform::SendTaxScale(3, "0;85528;17;0\r\n"), 14);
    EXPECT_EQ(last().code, 9);
    EXPECT_EQ(last().options, 0);
    EXPECT_EQ(last().text, "0;85528;17;0\r\n");
    forms.requests.clear();
    EXPECT_EQ(lform::SendTaxScale(3, {}), 0);
    EXPECT_EQ(lform::SendFields(0, "p1=x", 0), 0);
    EXPECT_EQ(lform::ShowForm(0, "x", 0, 0), 0);
    EXPECT_TRUE(forms.requests.empty());
    EXPECT_EQ(forms.atoms(), 0);
}

TEST_F(FormsLink, ReplyChainsAreReadWholeDeletedAndBoundedByTheCapacity) {
    connect();
    for (int length : {1, 239, 240, 241, 1000, 65'300}) {
        SCOPED_TRACE(length);
        forms.fieldsReply = repeated(length);
        QByteArray buffer = "old";
        EXPECT_EQ(lform::GetFields(4, &buffer, 65'300, true), length);
        EXPECT_EQ(buffer, forms.fieldsReply);
        EXPECT_EQ(last().code, 6);
        EXPECT_EQ(last().options, 1);
        EXPECT_EQ(last().lParam, 4);
        EXPECT_EQ(forms.atoms(), 0);
    }
    // One byte over the caller's capacity: refused, nothing written, the chain still deleted.
    forms.errorsReply = repeated(1001);
    QByteArray buffer = "old";
    EXPECT_EQ(lform::GetErrors(4, &buffer, 1000), 0);
    EXPECT_TRUE(buffer.isEmpty());
    EXPECT_EQ(last().code, 17);
    EXPECT_EQ(forms.atoms(), 0);
    // No reply chain, no buffer.
    forms.fieldsReply.clear();
    EXPECT_EQ(lform::GetFields(4, &buffer, 100, false), 0);
    EXPECT_EQ(last().options, 0);
    EXPECT_EQ(lform::GetFields(4, nullptr, 100, false), 0);
}

TEST_F(FormsLink, ReplyChainWithATailThatIsNoNumberKeepsTheTailAsText) {
    connect();
    struct Case { QByteArray tail; QByteArray expected; };
    const Atom second = forms.addAtom("def");
    for (const Case& c : std::vector<Case>{
             {'\x01' + QByteArray::number(second), "abcdef"},
             {"\x01x12", "abc\x01x12"},
             {"\x01", "abc\x01"},
             {"\x01" "12 ", "abc\x01" "12 "},
             {"\x01" "99999999999", "abc\x01" "99999999999"},
         }) {
        SCOPED_TRACE(c.expected.toStdString());
        forms.replies[6] = forms.addAtom("abc" + c.tail);
        QByteArray buffer;
        EXPECT_EQ(lform::GetFields(1, &buffer, 1000, false), c.expected.size());
        EXPECT_EQ(buffer, c.expected);
    }
    EXPECT_EQ(forms.atoms(), 0);
}

TEST_F(FormsLink, CreateSendsSymbolIdentifierAnd3AndRecordsTheForm) {
    connect();
    forms.nextFormId = 70'000;
    EXPECT_EQ(lform::CreateForm("PIT11", "PIT11(16)"), 70'000);
    EXPECT_EQ(last().code, 1);
    EXPECT_EQ(last().low(), 0);
    EXPECT_EQ(last().lines, (Lines{"PIT11", "PIT11(16)", "3"}));
    EXPECT_EQ(last().text, "PIT11\r\nPIT11(16)\r\n3\r\n");
    // The same text for symbol and identifier: two registry lines, not three.
    EXPECT_EQ(lform::CreateForm("PIT40", "PIT40"), 70'001);
    EXPECT_EQ(lform::detail::state().registry.lines(),
              (Lines{"70000_PIT11=1", "70000_PIT11(16)=1", "70000_3=1", "70001_PIT40=1", "70001_3=1"}));
    EXPECT_EQ(lform::detail::state().openForms, (QList<FormId>{70'000, 70'001}));
    forms.nextFormId = 0;
    EXPECT_EQ(lform::CreateForm("PIT8B", "PIT8B"), 0);
    EXPECT_EQ(lform::detail::state().openForms.size(), 2);
    EXPECT_EQ(forms.atoms(), 0);
    EXPECT_GT(busyChanges, 0);

    // Requests with a text pass only the id's low 16 bits.
    lform::SendFields(70'000, "p1=1", 0);
    EXPECT_EQ(last().low(), 70'000 & 0xFFFF);

    // A refused destroy keeps the form; the shutdown destroys the rest, last created first, then
    // releases the program.
    forms.destroyReply = 1;
    EXPECT_FALSE(lform::DestroyForm(70'000));
    forms.destroyReply = 0;
    forms.requests.clear();
    lform::LinkShutdown();
    EXPECT_EQ(forms.codes(), (std::vector<int>{2, 2, 4}));
    EXPECT_EQ(forms.requests[0].lParam, 70'001);
    EXPECT_EQ(forms.requests[1].lParam, 70'000);
    EXPECT_TRUE(lform::detail::state().registry.lines().isEmpty());
}

TEST_F(FormsLink, ShowWaitsForTheFormWindowWithTheParentDisabled) {
    connect();
    struct Case { WindowHandle parent; int flags; QByteArray parentLine; QStringList windowCalls; int waits; };
    for (const Case& c : std::vector<Case>{
             {0x1234, 0x10 | 0x40 | 0x80, "4660", {"disable 4660", "enable 4660", "foreground 4660"}, 3},
             {0xFFFF, 0, "65535", {"disable 65535", "enable 65535", "foreground 65535"}, 3},
             {0x10000, 0, "0", {"foreground 0"}, 3},
             {0, 0x40, "0", {"foreground 0"}, 3},
             // Flag 32: back at once, the parent not disabled but still brought to the front.
             {0x1234, 0x20, "4660", {"foreground 4660"}, 0},
         }) {
        SCOPED_TRACE(c.flags);
        forms.windowCalls.clear();
        forms.waits = 0;
        forms.formWindowWaits = 3;
        forms.onWait = [&] { EXPECT_EQ(busyNow, 0) << "no hourglass while the form is shown"; };
        const std::uint16_t window = lform::ShowForm(9, "Podgląd", c.parent, c.flags);
        EXPECT_NE(window, 0);
        EXPECT_EQ(last().code, 3);
        EXPECT_EQ(last().low(), 9);
        EXPECT_EQ(last().lines, (Lines{"Podgląd", c.parentLine, QByteArray::number(c.flags)}));
        EXPECT_EQ(forms.windowCalls, c.windowCalls);
        EXPECT_EQ(forms.waits, c.waits);
        EXPECT_EQ(forms.atoms(), 0);
        forms.closeFormWindows();
    }
    // A form window that never closes ends the wait when the forms program dies.
    forms.formWindowWaits = -1;
    forms.onWait = [&] { if (forms.waits == 5) forms.die(); };
    forms.waits = 0;
    EXPECT_NE(lform::ShowForm(9, "x", 0, 0), 0);
    EXPECT_EQ(forms.waits, 5);
    forms.onWait = {};
    // Not shown: no wait, nothing enabled or disabled.
    forms.running = true;
    forms.showRefused = true;
    forms.windowCalls.clear();
    EXPECT_EQ(lform::ShowForm(9, "x", 0x1234, 0), 0);
    EXPECT_TRUE(forms.windowCalls.isEmpty());
}

TEST_F(FormsLink, PrintRequestAndPrintDialogFollowTheProgramsVersion) {
    connect();
    struct Case {
        std::int32_t version;
        std::uint16_t first, last;
        Lines printLines;
        std::vector<int> dialogCodes;
        Lines dialogLines;
    };
    for (const Case& c : std::vector<Case>{
             {3, 0, 0, {"0", "1", "999", "PIT-11"}, {0, 9}, {"0", "", "", "PIT-11"}},
             {4, 2, 5, {"0", "2", "5", "PIT-11"}, {0, 13, 12, 12, 12, 11}, {"0", "2", "5", "PIT-11"}},
             {5, 0, 0, {"0", "1", "999", "PIT-11", "1", "2"}, {0, 13, 12, 12, 12, 11}, {"0", "", "", "PIT-11"}},
         }) {
        SCOPED_TRACE(c.version);
        forms.version = c.version;
        forms.requests.clear();
        EXPECT_TRUE(lform::PrintForm(5, "PIT-11", 0x20000, c.first, c.last, true, 2));
        EXPECT_EQ(forms.codes(), (std::vector<int>{0, 8}));
        EXPECT_EQ(last().lines, c.printLines);
        EXPECT_EQ(last().low(), 5);

        forms.requests.clear();
        forms.windowCalls.clear();
        forms.printDialogPolls = 3;
        std::uint16_t first = c.first;
        std::uint16_t lastPage = c.last;
        EXPECT_TRUE(lform::RunPrintDialog(5, "PIT-11", 0x20000, first, lastPage));
        EXPECT_EQ(forms.codes(), c.dialogCodes);
        EXPECT_EQ(forms.requests[1].lines, c.dialogLines);
        // The range: from code 9's reply in the old protocol, from code 11's in the new one.
        EXPECT_EQ(first, c.version == 3 ? 1 : 2);
        EXPECT_EQ(lastPage, c.version == 3 ? 2 : 3);
        EXPECT_EQ(forms.windowCalls, c.version == 3 ? QStringList() : QStringList{"foreground 0"});
        EXPECT_EQ(forms.atoms(), 0);
    }
    // Version 4 with a parent: disabled during the poll; a dialog left without a range is no print.
    forms.printRange = 0;
    forms.windowCalls.clear();
    std::uint16_t first = 7;
    std::uint16_t lastPage = 8;
    EXPECT_FALSE(lform::RunPrintDialog(5, "PIT-11", 0x42, first, lastPage));
    EXPECT_EQ(forms.windowCalls, (QStringList{"disable 66", "enable 66", "foreground 66"}));
    EXPECT_EQ(first, 7);
    EXPECT_EQ(lastPage, 8);
    // A forms program that dies during the poll ends it.
    forms.printDialogPolls = 1'000'000;
    forms.waits = 0;
    forms.onWait = [&] { if (forms.waits >= 10) forms.die(); };
    EXPECT_FALSE(lform::RunPrintDialog(5, "PIT-11", 0, first, lastPage));
}

TEST_F(FormsLink, SmallRequestsAndTheirAnswersWithoutAWindow) {
    std::uint16_t first = 0;
    std::uint16_t lastPage = 0;
    forms.running = false;
    forms.appearsOnStart = false;
    EXPECT_FALSE(lform::ConnectFormsProgram(false));
    EXPECT_EQ(lform::GetFormState(1), 0);
    EXPECT_EQ(lform::EndDocument(1), -1);
    EXPECT_FALSE(lform::GetPrintRange(1, first, lastPage));
    EXPECT_FALSE(lform::PrintForm(1, "x", 0, 0, 0, false, 0));
    EXPECT_EQ(lform::GetFormsVersion(), 0);
    EXPECT_EQ(lform::CreateForm("PIT11", "PIT11"), 0);
    EXPECT_TRUE(forms.requests.empty());

    forms.running = true;
    connect();
    EXPECT_EQ(lform::GetFormState(1), 1);
    EXPECT_EQ(lform::EndDocument(1), 7);
    forms.printRange = makeLong(4, 6);
    EXPECT_TRUE(lform::GetPrintRange(1, first, lastPage));
    EXPECT_EQ(first, 4);
    EXPECT_EQ(lastPage, 6);
    EXPECT_EQ(forms.codes(), (std::vector<int>{10, 15, 11}));
}

// Discovery: where the link looks for the forms program and what it starts.
class Discovery : public FormsLink {
protected:
    QTemporaryDir folder;
    QString previous = QDir::currentPath();
    void SetUp() override {
        FormsLink::SetUp();
        forms.running = false;
        ASSERT_TRUE(QDir::setCurrent(folder.path()));
    }
    void TearDown() override {
        QDir::setCurrent(previous);
        FormsLink::TearDown();
    }
    void touch(const QString& name) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ReadOther);
    }
};

TEST_F(Discovery, AWindowFoundAtOnceStartsNothingAndReadsNoProfile) {
    forms.running = true;
    EXPECT_TRUE(lform::ConnectFormsProgram(false));
    EXPECT_TRUE(forms.startedCommands.isEmpty());
    EXPECT_TRUE(forms.profileReads.isEmpty());
}

TEST_F(Discovery, StartsFromTheProfilesFolderOrTheServerMarkerPair) {
    struct Case {
        const char* name;
        QString katalog;
        QStringList files;
        std::deque<int> startResults;
        QStringList started;
        bool connected;
        QByteArray classSought;
        QString writableByOthers;  // "velsrv" or "." (the folder); empty: neither
    };
    for (const Case& c : std::vector<Case>{
             {"katalog without separator", "/opt/vel", {}, {}, {"/opt/vel/formvel /SERWER"}, true, "Tformularze_VEL", {}},
             {"katalog with separator", "/opt/vel/", {}, {}, {"/opt/vel/formvel /SERWER"}, true, "Tformularze_VEL", {}},
             {"nothing configured", "", {}, {}, {}, false, "Tformularze_VEL", {}},
             {"velsrv without velsrv.ok", "", {"velsrv"}, {}, {}, false, "Tformularze_VEL", {}},
             {"marker pair", "", {"velsrv", "velsrv.ok"}, {}, {"velsrv /SERWER"}, true, "Tformularze_VEL", {}},
             {"katalog fails, marker pair", "/opt/vel", {"velsrv", "velsrv.ok"}, {2},
              {"/opt/vel/formvel /SERWER", "velsrv /SERWER"}, true, "Tformularze_VEL", {}},
             {"both fail", "/opt/vel", {"velsrv", "velsrv.ok"}, {2, 2},
              {"/opt/vel/formvel /SERWER", "velsrv /SERWER"}, false, "Tformularze_VEL", {}},
             // Someone else could have planted the pair: nothing is started.
             {"velsrv writable by others", "", {"velsrv", "velsrv.ok"}, {}, {}, false, "Tformularze_VEL", "velsrv"},
             {"folder writable by its group", "", {"velsrv", "velsrv.ok"}, {}, {}, false, "Tformularze_VEL", "."},
         }) {
        SCOPED_TRACE(c.name);
        lform::LinkShutdown();
        lform::LinkInit();
        forms.die();
        forms.startedCommands.clear();
        forms.profileReads.clear();
        forms.startResults = c.startResults;
        forms.seeksBeforeAppearing = 2;
        forms.profile["formularze/katalog"] = c.katalog;
        for (const QString& name : {QStringLiteral("velsrv"), QStringLiteral("velsrv.ok")}) QFile::remove(name);
        for (const QString& file : c.files) touch(file);
        const QFile::Permissions folderMode = QFile::permissions(folder.path());
        if (c.writableByOthers == "velsrv")
            QFile::setPermissions(folder.filePath("velsrv"), QFile::permissions(folder.filePath("velsrv")) | QFile::WriteOther);
        if (c.writableByOthers == ".") QFile::setPermissions(folder.path(), folderMode | QFile::WriteGroup);

        EXPECT_EQ(lform::ConnectFormsProgram(false), c.connected);
        QFile::setPermissions(folder.path(), folderMode);
        EXPECT_EQ(forms.startedCommands, c.started);
        EXPECT_EQ(forms.profileReads, QStringList{"formularze/katalog"});
        EXPECT_EQ(lform::detail::state().windowClass, c.classSought);
        for (int show : forms.startShowCommands) EXPECT_EQ(show, 6);
        // The marker pair switches the link to server mode, whose discovery reads no profile.
        if (c.files.size() == 2 && c.writableByOthers.isEmpty()) {
            EXPECT_TRUE(lform::detail::state().serverMode);
            forms.die();
            forms.profileReads.clear();
            forms.startedCommands.clear();
            lform::GetFormsVersion();
            EXPECT_TRUE(forms.profileReads.isEmpty());
            EXPECT_EQ(forms.startedCommands, QStringList{"velsrv /SERWER"});
        }
    }
}

TEST_F(Discovery, AStartedProgramThatNeverShowsAWindowEndsTheWaitAfterAboutHalfAMinute) {
    forms.appearsOnStart = false;
    forms.profile["formularze/katalog"] = "/opt/vel";
    EXPECT_FALSE(lform::ConnectFormsProgram(false));
    EXPECT_GE(forms.sleptMilliseconds, 29'000);
    EXPECT_LE(forms.sleptMilliseconds, 31'000);
    EXPECT_GT(forms.pumps, 100);
    // A started program that ends without a window ends the wait at once.
    forms.sleptMilliseconds = 0;
    forms.startedProgramEnds = true;
    EXPECT_FALSE(lform::ConnectFormsProgram(false));
    EXPECT_EQ(forms.sleptMilliseconds, 0);
}

TEST_F(Discovery, ServerFolderStartsVelsrvOnlyWhenItIsThere) {
    forms.formsClass = "Tvelsrv_VEL";
    EXPECT_FALSE(lform::ConnectFormsServer(true, folder.path()));
    EXPECT_TRUE(forms.startedCommands.isEmpty());
    touch("velsrv");
    EXPECT_TRUE(lform::ConnectFormsServer(true, folder.path()));
    EXPECT_EQ(forms.startedCommands, QStringList{folder.path() + "/velsrv /SERWER"});
    EXPECT_EQ(lform::detail::state().windowClass, "Tvelsrv_VEL");
    // Requests go to the server's window; a later normal discovery seeks the normal class again.
    forms.requests.clear();
    lform::GetFormState(1);
    EXPECT_EQ(last().window, forms.formsWindow);
    EXPECT_FALSE(lform::ConnectFormsProgram(false));
    EXPECT_EQ(lform::detail::state().windowClass, "Tformularze_VEL");
}

}  // namespace
