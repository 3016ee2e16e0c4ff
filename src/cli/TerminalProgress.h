#pragma once

#include <QString>

class QTextStream;

// A progress line on standard error while a long command runs: "Sprawdzono 51200 z 100000 (51%)",
// rewritten in place with "\r" and cleared at the end. Silent unless standard error is a terminal,
// so that a script's error output holds nothing but messages.
class TerminalProgress {
public:
    // `what` names the work done: "Sprawdzono".
    TerminalProgress(QTextStream& err, const QString& what, bool enabled = StandardErrorIsTerminal());
    ~TerminalProgress();

    // Shows the count and the percentage when it changed since the last line.
    void update(int done, int total);
    // Clears the line (also done on destruction).
    void finish();

    static bool StandardErrorIsTerminal();

private:
    QTextStream& err_;
    QString what_;
    bool enabled_;
    int shownPercent_ = -1;
    int width_ = 0;  // characters of the last line written, to blank it out
};

// Text fit for one line of a terminal: control characters (which could move the cursor or clear
// the screen) written as "\xHH".
QString EscapeControlCharacters(const QString& text);
