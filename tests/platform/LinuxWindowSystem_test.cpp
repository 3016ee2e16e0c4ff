// The Linux window system between this process and a second one (platform_peer).
#include "forms/AtomChain.h"
#include "forms/lform.h"
#include "platform/LinuxWindowSystem.h"
#include "platform/ProcessStart.h"
#include "platform/WindowRegistry.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// The second process: a window of the given class that answers the requests of platform_peer.
class Peer {
public:
    Peer(const QString& folder, const QByteArray& className) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("FISKON_WINDOWS_DIR", folder);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(FISKON_PLATFORM_PEER, {"window", QString::fromUtf8(className)});
        if (!process.waitForStarted(10'000)) return;
        while (!process.canReadLine() && process.waitForReadyRead(10'000)) {
        }
        const QByteArray line = process.readLine().trimmed();
        if (line.startsWith("ready ")) handle = line.mid(6).toUInt();
    }
    ~Peer() {
        process.kill();
        process.waitForFinished(10'000);
    }
    void kill() {
        process.kill();
        process.waitForFinished(10'000);
    }
    QProcess process;
    WindowHandle handle = 0;
};

class WindowSystemBetweenProcesses : public ::testing::Test {
protected:
    QTemporaryDir runtime;
    std::unique_ptr<LinuxWindowSystem> system;

    void SetUp() override {
        application();
        ASSERT_TRUE(runtime.isValid());
        qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(runtime.path()));
        qputenv("FISKON_MESSAGE_TIMEOUT_MS", "400");
        system = std::make_unique<LinuxWindowSystem>();
        ASSERT_EQ(system->folder(), runtime.path());
    }
    void TearDown() override {
        system.reset();
        qunsetenv("FISKON_WINDOWS_DIR");
        qunsetenv("FISKON_MESSAGE_TIMEOUT_MS");
    }
    std::int32_t send(WindowHandle window, std::uint32_t code, std::int32_t lParam) {
        return system->sendMessage(window, kFormsMessage, code, lParam);
    }
    std::int32_t send(const Peer& peer, std::uint32_t code, std::int32_t lParam) { return send(peer.handle, code, lParam); }
    QStringList entries() const { return QDir(runtime.path()).entryList({"w*"}, QDir::Files); }
};

TEST_F(WindowSystemBetweenProcesses, WindowFoundByExactClassAnswersMessagesAndAtomsCrossProcesses) {
    Peer peer(runtime.path(), "Tformularze_VEL");
    ASSERT_NE(peer.handle, 0u);
    EXPECT_LE(peer.handle, 0xFFFFu);
    EXPECT_EQ(system->findWindow("Tformularze_VEL"), peer.handle);
    EXPECT_EQ(system->findWindow("tformularze_vel"), 0u);
    EXPECT_EQ(system->findWindow("Tvelsrv_VEL"), 0u);
    EXPECT_TRUE(system->isWindow(peer.handle));
    // wParam and lParam arrive whole: code 0 answers option * 1000 + lParam.
    EXPECT_EQ(send(peer, 0 + 256 * 7, 42), 7042);
    EXPECT_EQ(send(peer, 0, -5), -5);

    // An atom made here is read and deleted there; the answer's atom is read and deleted here.
    // Names are exact: the same letters in another case are another atom.
    const Atom upper = system->addAtom("Kowalski\x01Zażółć");
    const Atom lower = system->addAtom("kowalski\x01zażółć");
    ASSERT_NE(upper, 0);
    EXPECT_NE(upper, lower);
    const Atom answer = loWord(static_cast<std::uint32_t>(send(peer, 1, makeLong(0, upper))));
    EXPECT_NE(system->atomName(upper, 256), QByteArray("Kowalski\x01Zażółć"));
    EXPECT_EQ(system->atomName(answer, 256), QByteArray("echo:Kowalski\x01Zażółć"));
    EXPECT_EQ(system->deleteAtom(answer), 0);
    EXPECT_EQ(system->deleteAtom(answer), answer);
    EXPECT_EQ(system->deleteAtom(lower), 0);
    EXPECT_EQ(system->atomsInUse(), 0);

    // A chain of 20,000 bytes read by the other process.
    QByteArray text(20'000, 'x');
    const QList<Atom> chain = MakeAtomChain(*system, text).value();
    EXPECT_EQ(send(peer, 5, makeLong(1, chainHead(chain))), 20'000);
    DeleteAtomChain(*system, chain);

    // Enable and bring to front reach the other process's window.
    EXPECT_TRUE(system->enableWindow(peer.handle, false));
    EXPECT_TRUE(system->setForegroundWindow(peer.handle));
    EXPECT_EQ(send(peer, 6, 0), 0 + 10);
    EXPECT_TRUE(system->enableWindow(peer.handle, true));
    EXPECT_EQ(send(peer, 6, 0), 1 + 10);

    // The other process messages our window while we wait for its reply.
    LocalWindow ours;
    ours.className = "TFVEL";
    ours.procedure = [](std::uint32_t, std::uint32_t, std::int32_t lParam) { return lParam * 10; };
    const WindowHandle own = system->registerWindow(ours);
    ASSERT_NE(own, 0u);
    EXPECT_EQ(system->findWindow("TFVEL"), own);
    EXPECT_EQ(send(peer, 8, static_cast<std::int32_t>(own)), 51);
    system->unregisterWindow(own);
    EXPECT_FALSE(system->isWindow(own));

    // Code 4 ends the peer; its window goes with it.
    EXPECT_EQ(send(peer, 4, 0), 1);
    ASSERT_TRUE(peer.process.waitForFinished(10'000));
    EXPECT_FALSE(system->isWindow(peer.handle));
    EXPECT_EQ(system->findWindow("Tformularze_VEL"), 0u);
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(WindowSystemBetweenProcesses, LinkDrivesAFormsProgramInAnotherProcess) {
    Peer forms(runtime.path(), "Tformularze_VEL");
    ASSERT_NE(forms.handle, 0u);
    lform::setWindowSystem(system.get());
    lform::LinkInit();
    EXPECT_TRUE(lform::ConnectFormsProgram(false));
    QByteArray fields;
    for (int box = 1; fields.size() < 20'000; ++box) fields += "p" + QByteArray::number(box) + "=Żółć\r\n";
    EXPECT_EQ(lform::SendFields(1, fields, 0), fields.size());
    QByteArray errors;
    EXPECT_EQ(lform::GetErrors(1, &errors, 65'300), 1000);
    EXPECT_TRUE(errors.startsWith("Błąd w polu p0\r\nBłąd w polu p1\r\n"));
    EXPECT_EQ(lform::GetErrors(1, &errors, 999), 0);
    lform::LinkShutdown();
    lform::setWindowSystem(nullptr);
    // Every atom of the request chain and of both reply chains is gone again.
    EXPECT_EQ(system->atomsInUse(), 0);
}

TEST_F(WindowSystemBetweenProcesses, PeerThatDiesHangsOrIsGoneAnswers0) {
    // Killed in the middle of a request.
    Peer dying(runtime.path(), "Tformularze_VEL");
    ASSERT_NE(dying.handle, 0u);
    EXPECT_EQ(send(dying, 2, 0), 0);
    dying.process.waitForFinished(10'000);
    EXPECT_FALSE(system->isWindow(dying.handle));
    EXPECT_EQ(send(dying, 0, 1), 0);

    // Never answers: the bound (400 ms here) gives 0, and the window still counts as one.
    Peer hanging(runtime.path(), "Tformularze_VEL");
    ASSERT_NE(hanging.handle, 0u);
    EXPECT_EQ(send(hanging, 3, 0), 0);
    EXPECT_TRUE(system->isWindow(hanging.handle));
    hanging.kill();

    // A window left behind by a killed process is no window, is not found and its entry goes.
    Peer killed(runtime.path(), "Tvelsrv_VEL");
    ASSERT_NE(killed.handle, 0u);
    killed.kill();
    ASSERT_FALSE(entries().isEmpty());
    EXPECT_EQ(system->findWindow("Tvelsrv_VEL"), 0u);
    EXPECT_FALSE(system->isWindow(killed.handle));
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_EQ(send(killed, 0, 1), 0);
    EXPECT_EQ(send(0, 0, 1), 0);
}

TEST_F(WindowSystemBetweenProcesses, StartedProgramGetsItsArgumentsAndTheShowCommand) {
    EXPECT_EQ(system->startProcess(QString(FISKON_PLATFORM_PEER) + " window Tstarted_VEL", 6), 33);
    WindowHandle started = 0;
    for (int round = 0; round < 400 && started == 0; ++round) {
        started = system->findWindow("Tstarted_VEL");
        if (started == 0) system->sleep(25);
    }
    ASSERT_NE(started, 0u);
    EXPECT_EQ(send(started, 7, 0), 6);
    EXPECT_TRUE(system->startedProcessRunning());
    EXPECT_EQ(send(started, 4, 0), 1);
    bool ended = false;
    for (int round = 0; round < 400 && !ended; ++round) {
        ended = !system->startedProcessRunning();
        if (!ended) system->sleep(25);
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(system->startProcess(runtime.filePath("formvel") + " /SERWER", 6), 2);
    EXPECT_EQ(system->startProcess(QString(), 6), 2);
}

TEST(RuntimeFolder, IsMadePrivateAndIsNeverALink) {
    QTemporaryDir folder;
    const QString open = folder.filePath("open");
    ASSERT_TRUE(QDir().mkdir(open));
    QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                    QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    ASSERT_TRUE(QFile::link(open, folder.filePath("link")));
    struct Case { QString path; bool usable; };
    for (const Case& c : {Case{open, true}, Case{folder.filePath("link"), false}, Case{folder.filePath("new"), true}}) {
        SCOPED_TRACE(c.path.toStdString());
        qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(c.path));
        EXPECT_EQ(WindowRegistry::openFolder(), c.usable ? c.path : QString());
        if (c.usable) {
            EXPECT_EQ(QFileInfo(c.path).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther),
                      QFile::Permissions());
        }
    }
    qunsetenv("FISKON_WINDOWS_DIR");
}

// A clean-up removes the entry it judged stale, never a fresh one that another process made for
// the same handle in between (after removing the stale one itself).
TEST(WindowRegistryCleanUp, RemovesOnlyTheEntryJudgedStale) {
    QTemporaryDir folder;
    WindowRegistry registry(folder.path());
    const QString path = folder.filePath("w1234");
    auto write = [&](const QByteArray& content) {
        QFile::remove(path);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    struct Case { const char* name; bool reclaimed; };
    for (const Case& c : {Case{"untouched since read", false}, Case{"claimed anew meanwhile", true}}) {
        SCOPED_TRACE(c.name);
        write("999999999\n" + QFile::encodeName(folder.filePath("s1")) + "\nTdead_VEL");  // no such process
        const auto stale = registry.read(0x1234);
        ASSERT_TRUE(stale);
        ASSERT_FALSE(WindowRegistry::ownerAlive(*stale));
        if (c.reclaimed)
            write(QByteArray::number(QCoreApplication::applicationPid()) + "\n" +
                  QFile::encodeName(folder.filePath("s2")) + "\nTfresh_VEL");
        registry.removeStale(*stale);
        const auto left = registry.read(0x1234);
        EXPECT_EQ(left.has_value(), c.reclaimed);
        if (left) {
            EXPECT_EQ(left->className, "Tfresh_VEL");
        }
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), c.reclaimed ? QStringList{"w1234"} : QStringList());
    }
}

TEST(CommandLine, ProgramPathMayHoldSpacesAndBareNamesAreSoughtInTheCurrentFolder) {
    application();
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir("forms program"));
    const QString program = folder.filePath("forms program/velsrv");
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QFile::setPermissions(folder.filePath("forms program"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
    CommandLine parsed = parseCommandLine(program + " /SERWER");
    EXPECT_EQ(parsed.program, program);
    EXPECT_EQ(parsed.arguments, QStringList{"/SERWER"});

    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.filePath("forms program"));
    parsed = parseCommandLine("velsrv /SERWER");
    // A program in the current folder that someone else could have put there is not started.
    const QFile::Permissions mode = QFile::permissions(program);
    QFile::setPermissions(program, mode | QFile::WriteGroup);
    EXPECT_NE(parseCommandLine("velsrv /SERWER").program, program);
    EXPECT_FALSE(isTrustedProgram(program));
    QFile::setPermissions(program, mode);
    EXPECT_TRUE(isTrustedProgram(program));
    QDir::setCurrent(previous);
    EXPECT_EQ(parsed.program, program);
    EXPECT_TRUE(parseCommandLine("/nonexistent/velsrv /SERWER").program.isEmpty());
}

TEST(Profile, UsersFileNamesTheFormsFolder) {
    application();
    QTemporaryDir folder;
    const QString path = folder.filePath("win.ini");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Formularze]\r\nKatalog=/opt/formularze vel\r\n[inne]\r\nklucz=\r\n");
    file.close();
    qputenv("FISKON_WININI", QFile::encodeName(path));
    qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(folder.path()));
    LinuxWindowSystem system;
    EXPECT_EQ(system.profileString("formularze", "katalog", "x"), "/opt/formularze vel");
    EXPECT_EQ(system.profileString("inne", "brak", "domyślny"), "domyślny");
    qunsetenv("FISKON_WININI");
    qunsetenv("FISKON_WINDOWS_DIR");
}

}  // namespace
