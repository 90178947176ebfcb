#include "ui/qt_host.h"

#include <utility>

namespace gang {

TQtHost::TQtHost(TFormModel& form, std::function<void(int)> arm, std::function<void()> disarm,
                 TMessagePresenter presenter, std::string title)
    : Form(form), Arm(std::move(arm)), Disarm(std::move(disarm)), Presenter(std::move(presenter)),
      Title_(std::move(title))
{
}

void TQtHost::ProcessMessages()
{
    Waits.Pass();
}

static_assert(IHost::Until_Next_Message == TEvent_Wait::Forever);

void TQtHost::ProcessMessages_Until(int64_t until_us)
{
    Waits.Pass_Until(until_us);
}

void TQtHost::ArmTimer(int interval_ms)
{
    if (Arm)
        Arm(interval_ms & 0xFFFF);
}

void TQtHost::DisarmTimer()
{
    if (Disarm)
        Disarm();
}

void TQtHost::ShowInfo(const std::string& text)
{
    Present({TMessageKind::Information, Title_, text, false, 0, 0});
}

void TQtHost::ShowInfoAt(const std::string& text, int x, int y)
{
    Present({TMessageKind::Information, Title_, text, true, x, y});
}

void TQtHost::ShowError(const std::string& text)
{
    Present({TMessageKind::Error, Title_, text, false, 0, 0});
}

bool TQtHost::Ask(const std::string& text, bool default_yes)
{
    if ((Closing && Closing()) || !Asker)
        return default_yes;
    TMessage question{TMessageKind::Question, Title_, text, false, 0, 0};
    question.Default_Yes = default_yes;
    return Asker(question);
}

void TQtHost::Present(const TMessage& message)
{
    if (Closing && Closing())
        return;
    if (Presenter)
        Presenter(message);
}

} // namespace gang
