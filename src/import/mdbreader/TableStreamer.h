#pragma once

#include "import/MdbStreamFormat.h"

#include <mdbtools.h>

#include <string>

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

// Streams every row of an opened table: 'T', 'C', the 'R' rows and 'E'.
bool StreamTable(MdbTableDef* table, FrameWriter& out);
