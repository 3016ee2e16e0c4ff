#pragma once

#include <QString>

#include <functional>

// The ids the forms program gives its forms: 1 to hex FFFF (they travel in 16 bits beside an
// atom), in turn, skipping ids still in use. A Fiskon keeps the id of a form after the forms
// program that made it has ended, so ids go on across the program's lifetimes: the end of the
// block of ids reserved so far is kept in a small file (in the user's private runtime folder,
// gone at logout), and a program that starts takes up after it. The file is written once per
// kBlock forms; without it (no folder, a write refused) the ids go on in memory only.
class FormIdCounter {
public:
    static constexpr int kBlock = 256;
    static constexpr int kLastId = 0xFFFF;

    // `file`: where the reserved end is kept; empty for none.
    explicit FormIdCounter(QString file = QString());

    // The next free id; 0 when every id is in use.
    int next(const std::function<bool(int id)>& inUse);

private:
    void reserve();

    QString file_;
    int last_ = 0;  // the id given last (or the end reserved by an earlier program)
    int left_ = 0;  // ids reserved and not yet given
};
