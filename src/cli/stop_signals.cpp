#include "stop_signals.h"

#include <csignal>
#include <initializer_list>

namespace vektrano {

namespace {

// Written by the handler, so only a lock-free flag of the one type the standard
// lets a handler store to.
volatile std::sig_atomic_t caught = 0;

extern "C" void NoteSignal(int signal) { caught = signal; }

} // namespace

void CatchStopSignals()
{
    struct sigaction action
    {
    };
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    // Reset to the default on delivery: the second signal ends the process even
    // while a read from a pipe blocks.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM})
        sigaction(signal, &action, nullptr);
}

int StopSignal() { return caught; }

} // namespace vektrano
