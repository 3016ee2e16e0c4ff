#include "cli/TerminalProgress.h"

#include <QTextStream>

#include <cstdio>

#include <unistd.h>

namespace {

constexpr qint64 kRedrawMilliseconds = 200;

}  // namespace

TerminalProgress::TerminalProgress(QTextStream& err, QString label, int total, bool shown)
    : err_(err), label_(std::move(label)), total_(total), shown_(shown && total > 0) {}

TerminalProgress::~TerminalProgress() { finish(); }

bool TerminalProgress::StandardErrorIsTerminal() { return isatty(fileno(stderr)) != 0; }

void TerminalProgress::advance(int done) {
    done_ = done;
    if (!shown_ || finished_) return;
    const int percent = static_cast<int>(static_cast<qint64>(done) * 100 / total_);
    if (percent != drawnPercent_ || !sinceDrawn_.isValid() || sinceDrawn_.elapsed() >= kRedrawMilliseconds) draw(done);
}

void TerminalProgress::clear() {
    if (!shown_ || drawnLength_ == 0) return;
    err_ << '\r' << QString(drawnLength_, u' ') << '\r' << Qt::flush;
    drawnLength_ = 0;
    drawnPercent_ = -1;
}

void TerminalProgress::finish() {
    if (!shown_ || finished_) return;
    draw(done_);
    err_ << '\n' << Qt::flush;
    finished_ = true;
}

void TerminalProgress::draw(int done) {
    const int percent = static_cast<int>(static_cast<qint64>(done) * 100 / total_);
    const QString line = QStringLiteral("%1: %2 z %3 (%4%)").arg(label_).arg(done).arg(total_).arg(percent);
    err_ << '\r' << line;
    if (line.size() < drawnLength_) err_ << QString(drawnLength_ - line.size(), u' ');
    err_ << Qt::flush;
    drawnLength_ = line.size();
    drawnPercent_ = percent;
    sinceDrawn_.start();
}
