// The window's life cycle without widgets: the activation sequence after the
// window is first shown (search for the programmer, speed check, voltage,
// device list), the new search from a click on the status text, and the
// close request.
//
// Closing while a handler runs.  Handlers run nested whenever a running
// operation pumps messages, so a close request can arrive in the middle of a
// programming run or a timer wait.  The request is never refused: it sets
// Quit_Flag to 5, ends any timer wait and disables the timer at once, so the
// running loop stops at its next check.  Resting the control lines and
// releasing the port are deferred until the outermost running handler has
// returned (its closing steps still write to the adapter), and only then is
// the window told to close.  From the request on no new handler starts, and
// the link enables no port again, so nothing touches the port after the
// release.
//
// Nested input.  A handler that runs under another one (a click taken while
// an operation, a wait or a search pumps messages) would restart the busy
// state, switch the voltage or start a second run inside the first.  So a
// handler scope is entered only when no other handler is running: every
// click on a list, a command button or the status text that arrives while a
// handler runs is ignored.  The stop button and the close request are the
// two inputs meant to act on a running handler; they do so only through
// Quit_Flag and Wait_Ms and run without a scope.
#pragma once

#include "core/form_model.h"
#include "devices/device_work.h"
#include "link/host.h"
#include "link/link.h"

#include <functional>

namespace gang {

class TLifecycle {
public:
    TLifecycle(TFormModel& form, TLink& link, TDeviceWork& work, IHost& host)
        : Form(form), Link(link), Work(work), Host(host)
    {
    }
    TLifecycle(const TLifecycle&) = delete;
    TLifecycle& operator=(const TLifecycle&) = delete;

    // Runs once, right after the window has first been shown.
    void FormActivate();
    // A click on StaticText3: searches for the programmer again (run it
    // inside a THandlerScope, which refuses it while another handler runs).
    void StaticText3Click();
    // A request to close the window.  True: the window may close now.
    // False: a handler is still unwinding; the close completes when it has
    // returned, and On_Close_Ready is then called.  Never refuses the close.
    bool FormCloseQuery();

    // Brackets every user-event handler of the window.  Begin_Handler is
    // false while another handler runs and once a close has been requested:
    // the handler must not run.
    bool Begin_Handler();
    void End_Handler();

    bool Close_Requested() const { return Close_Pending || Released; }
    bool Port_Given_Back() const { return Released; }
    int Running_Handlers() const { return Depth; }

    // The window closes itself when called (after a deferred close).
    std::function<void()> On_Close_Ready;

private:
    void Finish_Close();

    TFormModel& Form;
    TLink& Link;
    TDeviceWork& Work;
    IHost& Host;
    int Depth = 0;
    bool Close_Pending = false;
    bool Released = false;
};

// Runs a handler between Begin_Handler and End_Handler (also when it throws).
class THandlerScope {
public:
    explicit THandlerScope(TLifecycle& life) : Life(life), Entered(life.Begin_Handler()) {}
    ~THandlerScope()
    {
        if (Entered)
            Life.End_Handler();
    }
    THandlerScope(const THandlerScope&) = delete;
    THandlerScope& operator=(const THandlerScope&) = delete;
    explicit operator bool() const { return Entered; }

private:
    TLifecycle& Life;
    bool Entered;
};

} // namespace gang
