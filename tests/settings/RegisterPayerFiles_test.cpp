#include "settings/RegisterPayerFiles.h"

#include "settings/RecentFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The newest pairs are kept, one for each data file, beside the other settings.
TEST(RegisterPayerFiles, KeepsTheLastPayerOfEachDataFileNewestFirst) {
    QTemporaryDir dir;
    const QString settings = dir.filePath("fiskon.ini");
    RecentFiles(settings).remember(dir.filePath("a.txt"));
    RegisterPayerFiles files(settings);
    EXPECT_TRUE(files.payerFileOf(dir.filePath("a.txt")).isEmpty());

    files.remember(dir.filePath("a.txt"), dir.filePath("firma 1.txt"));
    files.remember(dir.filePath("b.txt"), dir.filePath("Łódź/firma 2.txt"));
    files.remember(dir.filePath("a.txt"), dir.filePath("firma 3.txt"));
    EXPECT_EQ(files.payerFileOf(dir.filePath("a.txt")), dir.filePath("firma 3.txt"));
    EXPECT_EQ(files.payerFileOf(dir.filePath("./b.txt")), dir.filePath("Łódź/firma 2.txt"));
    EXPECT_EQ(RecentFiles(settings).files(), QStringList{dir.filePath("a.txt")});

    for (int n = 0; n < RegisterPayerFiles::kMaximum - 1; ++n)
        files.remember(dir.filePath(QStringLiteral("dane%1.txt").arg(n)), dir.filePath(QStringLiteral("p%1.txt").arg(n)));
    EXPECT_EQ(files.payerFileOf(dir.filePath("a.txt")), dir.filePath("firma 3.txt"));  // the twentieth
    EXPECT_TRUE(files.payerFileOf(dir.filePath("b.txt")).isEmpty());                    // the oldest went
    EXPECT_EQ(files.payerFileOf(dir.filePath("dane0.txt")), dir.filePath("p0.txt"));
}

}  // namespace
