#pragma once

#include <QString>

#include <string_view>
#include <vector>

// A list of taxpayers' e-mail addresses: one "PESEL;adres" a line, in code page 1250 or UTF-8
// (read as the program reads every file: UTF-8 when it starts with the byte order mark or can be
// nothing else), lines ending with CR LF or LF. Empty lines (also of blanks only) are passed over.
struct EmailListLine {
    int number = 0;             // from 1, counting every line of the file
    bool hasSeparator = false;  // false: the line holds no ";" (pesel holds the whole line)
    QString pesel;              // before the first ";", without the blanks around it
    QString address;            // after it, without the blanks around it
};

std::vector<EmailListLine> ReadEmailList(std::string_view bytes);
