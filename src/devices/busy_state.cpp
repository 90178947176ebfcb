// The busy state around every device operation and pop-up choice, the
// progress counter on the stop button, and the stop request.
#include "devices/device_work.h"

namespace gang {

void TDeviceWork::Start_Func()
{
    Link.Reset_Link();
    Report.Busy_Begin();
    Report.Counter(Link.Cur_Add);
    Link.Clear_Socket_Fails();
    Host.ProcessMessages();
}

void TDeviceWork::End_Func()
{
    Report.Busy_End(Selection.Found);
    // The address where the run ended, before the reset clears it.
    Report.Counter(Link.Cur_Add);
    Link.Reset_Link();
    Host.ProcessMessages();
}

void TDeviceWork::Quit_Func_ButClick()
{
    Link.Request_Stop();
}

} // namespace gang
