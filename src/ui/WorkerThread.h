#pragma once

#include <functional>

class QObject;

// Runs `work` on a thread of its own and returns when it is done, the calling thread's events
// handled meanwhile (a window stays drawn and its "Przerwij" can be pressed). `work` must not
// throw.
void RunOnWorkerThread(const std::function<void()>& work);

// Runs `step` on `receiver`'s thread, later (from a worker thread: a batch's progress shown).
void PostTo(QObject* receiver, std::function<void()> step);
