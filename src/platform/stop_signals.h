// SIGINT, SIGTERM and SIGHUP (Ctrl+C in the terminal, a logout, a service
// stop) as ordinary events of the Qt event loop.
//
// The handler only writes the signal number into a pipe; a QSocketNotifier on
// the pipe's other end calls on_signal on the thread that owns parent, from
// the event loop (also from a loop nested in a running operation's message
// pump).  So the program can take its normal stop path: a running operation
// stops after the address in hand, the adapter is rested and the port given
// back before the program exits.  Qt Core only.
#pragma once

#include <QObject>

#include <functional>

namespace gang {

// Installs the three handlers, once per process.  When parent is destroyed
// the signals get their default actions back.  False when the pipe or a
// handler could not be set up (the signals then keep their default actions)
// or when the handlers were installed already.
bool Install_Stop_Signals(QObject* parent, std::function<void(int signo)> on_signal);

// The stop signals held back from the calling thread (and the threads it
// starts) while the program sets up what handles them: one that comes
// meanwhile waits, and is handled once Release (or the destructor) lets it
// through, by the handlers installed by then or else by its default action.
class THeld_Stop_Signals {
public:
    THeld_Stop_Signals();
    ~THeld_Stop_Signals() { Release(); }
    THeld_Stop_Signals(const THeld_Stop_Signals&) = delete;
    THeld_Stop_Signals& operator=(const THeld_Stop_Signals&) = delete;
    void Release();

private:
    bool Held = false;
};

// A stop signal has come since the handlers were installed: a wait outside
// the event loop (a file's lock) ends on it.
bool Stop_Signal_Seen();

} // namespace gang
