// The atom table's rules and the message frames' reading.
#include "platform/AtomTable.h"
#include "platform/MessageFrame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(AtomTable, Win32NumberingCountsBoundsAndExactNames) {
    LocalAtomTable local;
    AtomTable& table = local.table();
    const Atom first = table.add("PIT11");
    EXPECT_EQ(first, 0xC000);
    EXPECT_EQ(table.add("PIT11"), first);  // the count rises
    EXPECT_EQ(table.add("pit11"), 0xC001); // another case is another name
    EXPECT_EQ(table.remove(first), 0);
    EXPECT_EQ(table.name(first, 256), "PIT11");
    EXPECT_EQ(table.remove(first), 0);
    EXPECT_TRUE(table.name(first, 256).isEmpty());
    EXPECT_EQ(table.remove(first), first);  // gone: deleting again fails
    EXPECT_EQ(table.add("nowy"), first);    // the freed number is used again

    struct Case { int length; bool made; };
    for (const Case& c : std::vector<Case>{{0, false}, {1, true}, {255, true}, {256, false}}) {
        SCOPED_TRACE(c.length);
        const QByteArray name(c.length, 'n');
        const Atom atom = table.add(name);
        EXPECT_EQ(atom != 0, c.made);
        if (atom != 0) {
            EXPECT_EQ(table.name(atom, 256), name);
        }
    }
    // The name goes into a bounded buffer with room for its terminating zero.
    const Atom atom = table.add("abcdef");
    EXPECT_EQ(table.name(atom, 4), "abc");
    EXPECT_EQ(table.name(atom, 1), "");
    EXPECT_EQ(table.name(atom, 0), "");
    EXPECT_TRUE(table.name(0, 256).isEmpty());
    EXPECT_TRUE(table.name(0xBFFF, 256).isEmpty());
    EXPECT_TRUE(table.name(0xFFFF, 256).isEmpty());
}

TEST(AtomTable, FullTableMakesNoMoreAtoms) {
    LocalAtomTable local;
    AtomTable& table = local.table();
    for (int i = 0; i < AtomTable::kSlots; ++i) ASSERT_NE(table.add(QByteArray::number(i)), 0) << i;
    EXPECT_EQ(table.add("one more"), 0);
    EXPECT_EQ(table.add("17"), 0xC000 + 17);
    EXPECT_EQ(table.count(), AtomTable::kSlots);
}

TEST(MessageFrames, ArriveWholeInAnyPiecesAndBadStreamsBreak) {
    const MessageFrame request = MessageFrame::request(0xABCD, kFormsMessage, 5 + 256 * 3, makeLong(9, 0xC001));
    const QByteArray stream = request.encode() + MessageFrame::reply(-7).encode();
    for (qsizetype piece : {qsizetype{1}, qsizetype{3}, qsizetype{8}, stream.size()}) {
        SCOPED_TRACE(piece);
        MessageFrameReader reader;
        std::vector<MessageFrame> frames;
        for (qsizetype at = 0; at < stream.size(); at += piece) {
            ASSERT_TRUE(reader.feed(stream.constData() + at, std::min(piece, stream.size() - at)));
            while (auto frame = reader.next()) frames.push_back(*frame);
        }
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_EQ(frames[0].kind, MessageFrame::Request);
        EXPECT_EQ(frames[0].window, 0xABCDu);
        EXPECT_EQ(frames[0].message, kFormsMessage);
        EXPECT_EQ(frames[0].wParam, 5u + 256 * 3);
        EXPECT_EQ(frames[0].lParam, makeLong(9, 0xC001));
        EXPECT_EQ(frames[1].kind, MessageFrame::Reply);
        EXPECT_EQ(frames[1].lParam, -7);
    }
    QByteArray wrongLength = request.encode();
    wrongLength[6] = 17;
    QByteArray unknownKind = request.encode();
    unknownKind[4] = 9;
    for (const QByteArray& bad : {QByteArray("GET / HTTP/1.0\r\n"), wrongLength, unknownKind,
                                  QByteArray(64 * 1024, '\0')}) {
        MessageFrameReader reader;
        reader.feed(bad.constData(), bad.size());
        EXPECT_FALSE(reader.next());
        EXPECT_TRUE(reader.broken());
        EXPECT_FALSE(reader.feed(stream.constData(), stream.size()));
        EXPECT_FALSE(reader.next());
    }
}

}  // namespace
