// IHost for the running window: message pumps through Qt's event loop, the
// millisecond waits on ThreadedTimer1, the local clock, the window's texts
// through TFormModel (which the widgets mirror) and message boxes through a
// replaceable presenter.
#pragma once

#include "core/form_model.h"
#include "link/host.h"
#include "platform/run_waits.h"
#include "ui/dialogs.h"

#include <functional>
#include <string>

namespace gang {

class TQtHost : public IHost {
public:
    // arm(interval_ms) sets ThreadedTimer1's Interval and enables it;
    // disarm() disables it.  title is the application title of the boxes.
    TQtHost(TFormModel& form, std::function<void(int)> arm, std::function<void()> disarm,
            TMessagePresenter presenter, std::string title);

    void ProcessMessages() override;
    // Sleeps in the event loop (TEvent_Wait) until a message or until_us.
    void ProcessMessages_Until(int64_t until_us) override;
    void ArmTimer(int interval_ms) override;
    void DisarmTimer() override;
    void ShowInfo(const std::string& text) override;
    void ShowInfoAt(const std::string& text, int x, int y) override;
    void ShowError(const std::string& text) override;
    bool Ask(const std::string& text, bool default_yes) override;
    // The window's thread at the highest priority the system grants.
    void Raise_Run_Priority() override { Waits.Raise_Priority(); }
    void Restore_Run_Priority() override { Waits.Restore_Priority(); }

    // While held, message pumps leave mouse and key input queued
    // (TRun_Waits::Hold_User_Input).
    void Hold_User_Input(bool hold) { Waits.Hold_User_Input(hold); }

    // Tests and the window replace the presenter (e.g. with a recorder).
    void Set_Presenter(TMessagePresenter presenter) { Presenter = std::move(presenter); }
    void Set_Question_Presenter(TQuestionPresenter presenter) { Asker = std::move(presenter); }
    // True once the window is closing: no box is shown any more (nobody
    // waits for it, and a box would hold the close up).
    std::function<bool()> Closing;
    void Set_Title(std::string title) { Title_ = std::move(title); }
    const std::string& Title() const { return Title_; }

private:
    void Present(const TMessage& message);

    TFormModel& Form;
    std::function<void(int)> Arm;
    std::function<void()> Disarm;
    TMessagePresenter Presenter;
    TQuestionPresenter Asker;
    std::string Title_;
    TRun_Waits Waits;
};

} // namespace gang
