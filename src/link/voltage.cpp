// The programming voltage: the Vpp_But setting turned into the two latch
// values, shown on the button and, with the programmer found, written out.
#include "link/address_map.h"
#include "link/latches.h"
#include "link/link.h"

namespace gang {

void TLink::Set_Vpp()
{
    const TVppSetting setting = Vpp_Setting(Form.Vpp_But.Tag);
    Vpp_Value = setting.Vpp_Value;
    Latch_3_Value = setting.Latch_3_Value;
    if (setting.Caption != nullptr)
        Form.Vpp_But.SetCaption(setting.Caption);
    if (Found()) {
        // Latch_3 always before Vpp_Latch.
        Latch(latch::Latch_3, Latch_3_Value);
        Latch(latch::Vpp_Latch, Vpp_Value);
    }
}

} // namespace gang
