// The 16-bit checksum of the Buffer over the device's address range.
#include "devices/device_rules.h"
#include "devices/device_work.h"

#include <algorithm>

namespace gang {

uint16_t Buffer_Check_Sum(const TBuffer& buffer, int32_t first, int32_t last)
{
    first = std::max(first, 0);
    last = std::min(last, Buffer_Size - 1);
    if (last < first)
        return 0;
    const auto from = static_cast<std::size_t>(first);
    return Sum16(&buffer.Data[from], static_cast<std::size_t>(last) - from + 1);
}

uint16_t Sum16(const uint8_t* bytes, std::size_t count)
{
    uint32_t sum = 0;
    for (std::size_t k = 0; k < count; ++k)
        sum += bytes[k];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

void TDeviceWork::Make_Check_Sum()
{
    Link.Reset_Link();
    Check_Sum = Buffer_Check_Sum(Buffer, Buffer.Start_Of_Eprom, Buffer.End_Of_Eprom);
    Report.Check_Sum(Check_Sum);
    End_Func();
}

void TDeviceWork::Chk_Sum_ButClick()
{
    Make_Check_Sum();
}

} // namespace gang
