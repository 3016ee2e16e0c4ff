#pragma once

#include <QObject>
#include <QTimer>

class FormsRequestHandler;

// When the forms program started as a server ("/SERWER") ends: on release by its last client, or
// once no client holds a form any more — a form without a window counts as much as a shown one,
// since Fiskon's print dialog keeps its form between batches. Clients that end without a release
// (killed, crashed) are noticed after a quiet spell without requests, and at the close of the last
// form window; their forms are then dropped. A server that is never asked for anything ends after
// the first quiet spell.
class FormsServerLifetime : public QObject {
    Q_OBJECT
public:
    FormsServerLifetime(FormsRequestHandler& handler, int quietMilliseconds, QObject* parent = nullptr);

signals:
    void finished();

private:
    // Ends the program when no client holds a form; otherwise looks again after the next quiet spell.
    void checkClients();

    FormsRequestHandler& handler_;
    QTimer quiet_;
};
