#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

// The link's record of created forms: name=value lines, one name per form and text.
class TListaCreateFormul {
public:
    // Sets the value "1" for Number_A, Number_B and Number_C, in this order. A name already
    // present (matched as a string list matches names, without regard to ASCII letter case)
    // keeps its single line.
    void AddParam(std::int32_t number, const QByteArray& a, const QByteArray& b, const QByteArray& c);
    // Removes every line that begins with Number_, scanning from the last line to the first.
    void DeleteParam(std::int32_t number);
    void Clear() { lines_.clear(); }
    const QList<QByteArray>& lines() const { return lines_; }

private:
    void setValue(const QByteArray& name, const QByteArray& value);
    QList<QByteArray> lines_;
};
