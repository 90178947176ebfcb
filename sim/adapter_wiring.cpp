#include "sim/adapter_wiring.h"

namespace gang::sim {

int Latch_Index(uint8_t select_code)
{
    for (int i = 0; i < Latch_Count; ++i)
        if (Latch_Select_Codes[i] == select_code)
            return i;
    return -1;
}

uint8_t& TLatches::By_Index(int index)
{
    switch (index) {
    case 0:
        return Socket;
    case 1:
        return Vpp;
    case 2:
        return L3;
    case 3:
        return Add_Lo;
    case 4:
        return Data;
    default:
        return Add_Hi;
    }
}

uint8_t TLatches::By_Index(int index) const
{
    return const_cast<TLatches*>(this)->By_Index(index);
}

} // namespace gang::sim
