#include "cli/cli_host.h"

#include <QCoreApplication>

namespace gang::cli {

void TCliHost::ProcessMessages()
{
    // A millisecond wait pumps messages until the timer's tick arrives.  The
    // window spins there (it has a screen to keep painted); the command line
    // has nothing to do but wait for an event: the tick, or a stop signal,
    // which comes as an event too.  Everything else (pulses timed on the
    // clock, the data poll, the speed check that counts passes) runs with the
    // timer disarmed and gets one pass that does not wait.
    QCoreApplication::processEvents(Timer_Armed() ? QEventLoop::WaitForMoreEvents
                                                  : QEventLoop::AllEvents);
}

} // namespace gang::cli
