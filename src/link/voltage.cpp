// The programming voltage: the selection's voltage code turned into the two latch
// values, shown to the user and, with the programmer found, written out.
#include "link/latches.h"
#include "link/link.h"
#include "link/voltages.h"

namespace gang {

void TLink::Set_Vpp()
{
    const TVppSetting setting = Vpp_Setting(Selection.Vpp_Code);
    Vpp_Value = setting.Vpp_Value;
    Latch_3_Value = setting.Latch_3_Value;
    if (setting.Caption != nullptr)
        Report.Vpp_Caption(setting.Caption);
    if (Found()) {
        // Latch_3 always before Vpp_Latch.
        Latch(latch::Latch_3, Latch_3_Value);
        Latch(latch::Vpp_Latch, Vpp_Value);
    }
}

} // namespace gang
