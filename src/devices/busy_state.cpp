// The busy state around every device operation and pop-up choice, the
// progress counter on the stop button, and the stop request.
#include "devices/device_work.h"

namespace gang {

void TDeviceWork::Start_Func()
{
    Begin_Operation(true);
}

void TDeviceWork::End_Func()
{
    End_Operation(true);
}

void TDeviceWork::Quit_Func_ButClick()
{
    Link.Request_Stop();
}

} // namespace gang
