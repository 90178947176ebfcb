#include "ui/qt_host.h"

#include <QCoreApplication>
#include <QTime>

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
    QCoreApplication::processEvents(QEventLoop::AllEvents);
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

int TQtHost::SecondsOfDay()
{
    return QTime::currentTime().second();
}

void TQtHost::LogLine(const std::string& line)
{
    Form.Memo1.AddLine(line);
}

void TQtHost::ShowLog(bool visible)
{
    Form.Memo1.SetVisible(visible);
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

void TQtHost::SetCounterCaption(const std::string& caption)
{
    Form.Quit_Func_But.SetCaption(caption);
}

void TQtHost::SetVppCaption(const std::string& caption)
{
    Form.Vpp_But.SetCaption(caption);
}

void TQtHost::SetSocketText(int socket, const std::string& text)
{
    if (socket >= 1 && socket <= 5)
        Form.Socket_Text(socket).SetCaption(text);
}

void TQtHost::SetWindowEnabled(bool enabled)
{
    Form.Form.SetEnabled(enabled);
}

void TQtHost::Present(TMessage message)
{
    if (Presenter)
        Presenter(message);
}

} // namespace gang
