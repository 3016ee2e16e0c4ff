#pragma once

#include "import/MdbStreamFormat.h"

#include <mdbtools.h>

#include <string>
#include <vector>

// Writes the frames of one table (see MdbStreamFormat.h) to standard output, buffered.
class FrameWriter {
public:
    ~FrameWriter() { flush(); }
    std::string& buffer() { return buffer_; }
    // Writes out the buffer once it is large; returns false when standard output is gone.
    bool flushIfLarge();
    bool flush();

private:
    std::string buffer_;
};

// Streams the rows of an opened table: 'T', 'C', the 'R' rows and 'E'. With `columns` not empty
// only those columns (the ones the table has, in that order) are sent. Returns false when
// standard output is gone; sets `complete` to whether every row the table counts was read (an
// unreadable page ends libmdb's reading early, silently).
bool StreamTable(MdbTableDef* table, const std::vector<std::string>& columns, FrameWriter& out, bool& complete);
