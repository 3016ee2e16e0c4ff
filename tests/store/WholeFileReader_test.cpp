// The limit of a file read whole, as the refusal says it: the real limit in MB, KB or bytes.

#include "store/FileErrors.h"
#include "store/WholeFileReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ReadWholeFile, AFileOverTheLimitIsRefusedWithTheRealLimit) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {kMaxReadableFileBytes, "256 MB"},
        {std::int64_t{1} << 20, "1 MB"},
        {std::int64_t{3} << 20, "3 MB"},
        {64 * 1024, "64 KB"},  // the password file's limit, once shown as "0 MB"
        {1536 * 1024, "1536 KB"},
        {1000, "1000 bajtów"},
        {22, "22 bajty"},
        {1, "1 bajt"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plik.txt"));
    for (const auto& [limit, shown] : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(file.resize(limit + 1));  // sparse: no disk space used
        file.close();
        try {
            ReadWholeFile(path, limit);
            ADD_FAILURE() << "read whole over the limit of " << shown;
        } catch (const FileError& error) {
            EXPECT_TRUE(error.message().endsWith(QStringLiteral("plik jest za duży (więcej niż %1).").arg(QString::fromUtf8(shown))))
                << error.what();
        }
        if (limit > (std::int64_t{3} << 20)) continue;  // not the default limit's 256 MB into memory
        ASSERT_TRUE(QFile(path).resize(limit));  // at the limit it is read
        EXPECT_EQ(ReadWholeFile(path, limit)->size(), static_cast<std::size_t>(limit)) << shown;
    }
}

}  // namespace
