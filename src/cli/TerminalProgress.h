#pragma once

#include <QElapsedTimer>
#include <QString>

class QTextStream;

// The progress line of a long command on standard error: "Formularze: 1200 z 50000 (2%)", redrawn
// in place (carriage return) as the work goes on, and only when standard error is a terminal, so
// that a log or a pipe receives the messages alone.
class TerminalProgress {
public:
    TerminalProgress(QTextStream& err, QString label, int total, bool shown = StandardErrorIsTerminal());
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // `done` of the total are done; the line is redrawn when its percentage changes, and at most
    // a few times a second otherwise.
    void advance(int done);
    // Wipes the line, so that a message can be printed; the next advance draws it again.
    void clear();
    // Draws the final count and ends the line (also done on destruction).
    void finish();

    static bool StandardErrorIsTerminal();

private:
    void draw(int done);

    QTextStream& err_;
    QString label_;
    int total_;
    bool shown_;
    bool finished_ = false;
    int done_ = 0;
    int drawnPercent_ = -1;
    qsizetype drawnLength_ = 0;
    QElapsedTimer sinceDrawn_;
};
