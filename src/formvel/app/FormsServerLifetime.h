#pragma once

#include <QObject>
#include <QTimer>

class FormsRequestHandler;

// When the forms program started as a server ("/SERWER") ends: on release, or once no form window
// is left — at once when no form is left either, otherwise after a quiet spell without requests,
// so that Fiskon can still read back the fields of a form whose window the user has just closed.
class FormsServerLifetime : public QObject {
    Q_OBJECT
public:
    FormsServerLifetime(FormsRequestHandler& handler, int quietMilliseconds, QObject* parent = nullptr);

signals:
    void finished();

private:
    void checkQuiet();

    FormsRequestHandler& handler_;
    QTimer quiet_;
};
