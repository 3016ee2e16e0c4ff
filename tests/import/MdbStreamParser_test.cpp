#include "import/MdbStreamParser.h"

#include <gtest/gtest.h>

namespace {

using namespace mdbstream;
using Status = MdbStreamResult::Status;

std::string List(std::initializer_list<std::string_view> items) {
    std::string payload;
    appendU32(payload, static_cast<std::uint32_t>(items.size()));
    for (auto item : items) appendListItem(payload, item);
    return payload;
}

std::string Frame(Tag tag, std::string_view payload) {
    std::string out;
    appendFrame(out, tag, payload);
    return out;
}

std::string Count(std::uint32_t n) {
    std::string out;
    appendU32(out, n);
    return out;
}

const std::string kHead = Frame(kHello, kMagic) + Frame(kOpened, "");
const std::string kTwoRowTable = Frame(kTable, "T") + Frame(kColumns, List({"ID", "Nazwa"})) +
                                 Frame(kRow, List({"1", "ŻAK"})) + Frame(kRow, List({"2", ""})) +
                                 Frame(kTableEnd, Count(2));

TEST(MdbStreamParser, ReadsTablesByColumnName) {
    const MdbStreamResult result = ParseMdbStream(kHead + kTwoRowTable + Frame(kEnd, ""));
    ASSERT_EQ(result.status, Status::Complete);
    ASSERT_EQ(result.tables.size(), 1u);
    const MdbTableData& table = result.tables[0];
    EXPECT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.columnIndex("nazwa"), 1);
    EXPECT_EQ(table.columnIndex("Brak"), -1);
    EXPECT_EQ(table.value(0, 1), "ŻAK");
    EXPECT_EQ(table.value(1, 1), "");
}

TEST(MdbStreamParser, FailureKeepsTheTablesBeforeIt) {
    std::string failure(1, static_cast<char>(MdbFailure::MissingTable));
    failure += "UBEZP_ADRES";
    const MdbStreamResult result = ParseMdbStream(kHead + kTwoRowTable + Frame(kFailure, failure));
    ASSERT_EQ(result.status, Status::Failed);
    EXPECT_EQ(result.failure, MdbFailure::MissingTable);
    EXPECT_EQ(result.detail, "UBEZP_ADRES");
    EXPECT_EQ(result.tables.size(), 1u);
}

TEST(MdbStreamParser, RefusesDamagedStreams) {
    const std::string good = kHead + kTwoRowTable + Frame(kEnd, "");
    std::string lyingCount = good;
    lyingCount[kHead.size() + 2] = '\x7f';  // table name length far beyond the stream
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"cut before the end", good.substr(0, good.size() - 1)},
        {"cut inside a row", good.substr(0, kHead.size() + 30)},
        {"no end frame", kHead + kTwoRowTable},
        {"bytes after the end", good + "x"},
        {"wrong greeting", Frame(kHello, "OTHER/1") + Frame(kOpened, "") + Frame(kEnd, "")},
        {"table before opening", Frame(kHello, kMagic) + kTwoRowTable + Frame(kEnd, "")},
        {"end before opening", Frame(kHello, kMagic) + Frame(kEnd, "")},
        {"length beyond the stream", lyingCount},
        {"row wider than the columns",
         kHead + Frame(kTable, "T") + Frame(kColumns, List({"A"})) + Frame(kRow, List({"1", "2"})) +
             Frame(kTableEnd, Count(1)) + Frame(kEnd, "")},
        {"row count that does not match",
         kHead + Frame(kTable, "T") + Frame(kColumns, List({"A"})) + Frame(kRow, List({"1"})) +
             Frame(kTableEnd, Count(5)) + Frame(kEnd, "")},
        {"list count larger than its payload",
         kHead + Frame(kTable, "T") + Frame(kColumns, Count(0x40000000)) + Frame(kTableEnd, Count(0)) +
             Frame(kEnd, "")},
        {"item longer than its list",
         kHead + Frame(kTable, "T") + Frame(kColumns, Count(1) + Count(99) + "A") + Frame(kEnd, "")},
        {"unknown frame", kHead + Frame(static_cast<Tag>('Q'), "") + Frame(kEnd, "")},
        {"unknown failure code", kHead + Frame(kFailure, std::string(1, '\x09'))},
        {"empty failure", kHead + Frame(kFailure, "")},
        {"failure not last", kHead + Frame(kFailure, std::string(1, '\x01')) + Frame(kEnd, "")},
        {"frame longer than any the helper writes", kHead + std::string(1, kRow) + Count(0x7FFFFFFF)},
        {"opened twice", kHead + Frame(kOpened, "") + Frame(kEnd, "")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseMdbStream(c.bytes).status, Status::Malformed) << c.what;
}

// The program parses the helper's output as it comes, in pieces of whatever size the pipe gives:
// the result is the same as of the whole, and a table that fails half-way is not kept.
TEST(MdbStreamParser, PiecesOfAnySizeGiveTheSameTables) {
    const std::string failing = kHead + kTwoRowTable + Frame(kTable, "U") + Frame(kColumns, List({"A"})) +
                                Frame(kRow, List({"x"})) + Frame(kFailure, "\x07U");
    for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}, std::size_t{4096}}) {
        for (const bool fails : {false, true}) {
            const std::string bytes = fails ? failing : kHead + kTwoRowTable + Frame(kEnd, "");
            MdbStreamParser parser;
            for (std::size_t at = 0; at < bytes.size(); at += piece)
                parser.feed(std::string_view(bytes).substr(at, piece));
            const MdbStreamResult result = parser.take();
            EXPECT_EQ(result.status, fails ? Status::Failed : Status::Complete) << piece;
            ASSERT_EQ(result.tables.size(), 1u) << piece;
            const MdbTableData& table = result.tables[0];
            ASSERT_EQ(table.rowCount(), 2u);
            EXPECT_EQ(table.value(0, 1), "ŻAK");
            EXPECT_EQ(table.value(1, 0), "2");
            EXPECT_EQ(table.value(1, 1), "");
            if (fails) {
                EXPECT_EQ(result.failure, MdbFailure::DamagedTable);
                EXPECT_EQ(result.detail, "U");
            }
        }
    }
}

// A table beyond the rows or the bytes the program takes stops the stream at that point.
TEST(MdbStreamParser, TableBeyondItsBoundsStopsTheStream) {
    const std::string bytes = kHead + kTwoRowTable + Frame(kEnd, "");
    struct Case {
        MdbTableBounds bounds;
        Status status;
        bool tooManyRows;
    };
    for (const Case& c : {Case{{2, 100}, Status::Complete, false}, Case{{1, 100}, Status::TooLarge, true},
                          Case{{2, 5}, Status::TooLarge, false}}) {
        MdbStreamParser parser(c.bounds);
        parser.feed(bytes);
        EXPECT_TRUE(parser.finished());
        const MdbStreamResult result = parser.take();
        EXPECT_EQ(result.status, c.status) << c.bounds.maxRows << " " << c.bounds.maxBytes;
        EXPECT_EQ(result.tooManyRows, c.tooManyRows);
        if (c.status == Status::TooLarge) {
            EXPECT_EQ(result.detail, "T");
        }
    }
}

}  // namespace
