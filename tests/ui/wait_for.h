// Processes events until done() or the deadline; true when done.  The
// window tests wait so for what the event loop is to bring about.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace gang {

inline bool Wait_Until(const std::function<bool()>& done, int deadline_ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > deadline_ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace gang
