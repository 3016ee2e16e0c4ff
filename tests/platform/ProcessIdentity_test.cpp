// A process named by its id and start time: running while it runs, never again once it has ended,
// and never when the id is another process's now.

#include "platform/ProcessIdentity.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

TEST(ProcessIdentity, RunsOnlyWhileThatVeryProcessRuns) {
    const ProcessIdentity self = IdentifyProcess(::getpid());
    ASSERT_NE(self.started, 0u);
    EXPECT_TRUE(ProcessRunning(self));
    EXPECT_TRUE(ProcessIdRunning(::getpid()));
    EXPECT_EQ(IdentifyProcess(::getpid()), self);

    QProcess child;
    child.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(child.waitForStarted());
    const ProcessIdentity started = IdentifyProcess(child.processId());
    EXPECT_TRUE(ProcessRunning(started));
    child.kill();
    ASSERT_TRUE(child.waitForFinished());

    struct Case {
        const char* what;
        ProcessIdentity process;
    };
    const Case cases[] = {
        {"ended", started},
        {"the same id, started at another time", {self.id, self.started + 1}},
        {"not identified", {self.id, 0}},
        {"no id", {0, self.started}},
        {"a negative id", {-1, self.started}},
        {"an id beyond any process", {qint64{1} << 40, self.started}},
    };
    for (const Case& c : cases) EXPECT_FALSE(ProcessRunning(c.process)) << c.what;
    EXPECT_FALSE(ProcessIdRunning(0));
    EXPECT_EQ(IdentifyProcess(qint64{1} << 40).started, 0u);
}
