#include "cli/TerminalProgress.h"

#include <QTextStream>

#include <unistd.h>

TerminalProgress::TerminalProgress(QTextStream& err, const QString& what, bool enabled)
    : err_(err), what_(what), enabled_(enabled) {}

TerminalProgress::~TerminalProgress() { finish(); }

bool TerminalProgress::StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void TerminalProgress::update(int done, int total) {
    if (!enabled_ || total <= 0) return;
    const int percent = static_cast<int>(static_cast<long long>(done) * 100 / total);
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    const QString line = QStringLiteral("%1 %2 z %3 (%4%)").arg(what_).arg(done).arg(total).arg(percent);
    err_ << '\r' << line.leftJustified(width_) << Qt::flush;
    width_ = static_cast<int>(line.size());
}

void TerminalProgress::finish() {
    if (!enabled_ || width_ == 0) return;
    err_ << '\r' << QString(width_, u' ') << '\r' << Qt::flush;
    width_ = 0;
    shownPercent_ = -1;
}

QString EscapeControlCharacters(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (QChar ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7f || (ch.unicode() >= 0x80 && ch.unicode() < 0xa0))
            result += QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'));
        else
            result += ch;
    }
    return result;
}
