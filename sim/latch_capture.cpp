#include "sim/latch_capture.h"

namespace gang::sim {

int TLatchCapture::On_Control(uint8_t control, uint8_t data_register, TLatches& latches)
{
    const uint8_t before = Control_Register;
    Control_Register = control;
    const bool rising = !(before & Control_Strobe) && (control & Control_Strobe);
    if (!rising)
        return -1;
    const uint8_t code = control & Control_Select_Mask;
    const int index = Latch_Index(code);
    if (index < 0)
        return -1; // codes 0x00 and 0x08 select no latch
    if ((before & Control_Select_Mask) != code) {
        ++Violations;
        return -1;
    }
    latches.By_Index(index) = data_register;
    return index;
}

} // namespace gang::sim
