#include "formvel/app/FormsServerLifetime.h"

#include "formvel/app/FormsRequestHandler.h"

FormsServerLifetime::FormsServerLifetime(FormsRequestHandler& handler, int quietMilliseconds, QObject* parent)
    : QObject(parent), handler_(handler) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(quietMilliseconds);
    connect(&quiet_, &QTimer::timeout, this, &FormsServerLifetime::checkClients);
    connect(&handler_, &FormsRequestHandler::releaseRequested, this, &FormsServerLifetime::finished);
    connect(&handler_, &FormsRequestHandler::requestArrived, this, [this] {
        if (quiet_.isActive()) quiet_.start();
    });
    connect(&handler_, &FormsRequestHandler::lastWindowClosed, this, &FormsServerLifetime::checkClients);
    quiet_.start();  // a server that is never asked for anything does not stay
}

void FormsServerLifetime::checkClients() {
    if (handler_.dropFormsOfEndedClients() || handler_.openWindowCount() != 0)
        quiet_.start();
    else
        emit finished();
}
