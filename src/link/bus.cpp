// The adapter bus: six write-only latches written through the data and
// control registers, one byte read back as two nibbles on the status register.
#include "link/latch_strobe.h"
#include "link/latches.h"
#include "link/link.h"

namespace gang {

void TLink::Write_Latch(uint8_t select)
{
    if (!Port_Open)
        return;
    Strobe_Latch(Registers, DataPort, select, static_cast<uint8_t>(Latch_Byte & 0xFF));
}

void TLink::Latch(uint8_t select, uint32_t value)
{
    Latch_Byte = static_cast<uint16_t>(value & 0xFF);
    Write_Latch(select);
}

void TLink::Write_Socket_Latch()
{
    Write_Latch(latch::Socket_Latch);
}
void TLink::Write_Vpp_Latch()
{
    Write_Latch(latch::Vpp_Latch);
}
void TLink::Write_Latch_3()
{
    Write_Latch(latch::Latch_3);
}
void TLink::Write_Add_Lo_Latch()
{
    Write_Latch(latch::Add_Lo_Latch);
}
void TLink::Write_Data_Latch()
{
    Write_Latch(latch::Data_Latch);
}
void TLink::Write_Add_Hi_Latch()
{
    Write_Latch(latch::Add_Hi_Latch);
}

void TLink::Nibble_Wait() const
{
    // A volatile counter: every pass is a real load and store, so the loop
    // can be neither removed nor folded by the optimiser.  It never yields.
    volatile int32_t count = Nibble_Delay;
    while (count > 0)
        count = count - 1;
}

void TLink::Read_Bus()
{
    if (!Port_Open) {
        Read_Value = 0x00;
        return;
    }
    Nibble_Wait();
    Registers.Write(DataPort, TRegister::Control, latch::Control_Idle);
    // High nibble on status bits 7..4; bit 7 (BUSY) arrives inverted.
    uint8_t status = Registers.Read(DataPort, TRegister::Status);
    Read_Value = static_cast<uint8_t>((status ^ latch::Status_Inverted) & latch::Status_Nibble);
    Registers.Write(DataPort, TRegister::Control, latch::Control_Low_Nibble);
    Nibble_Wait();
    // Low nibble on the same four status bits, bit 7 again inverted.
    status = Registers.Read(DataPort, TRegister::Status);
    Read_Value = static_cast<uint8_t>(Read_Value |
                                      ((status ^ latch::Status_Inverted) >> latch::Nibble_Shift));
    Registers.Write(DataPort, TRegister::Control, latch::Control_Idle);
}

void TLink::Reset_Latches()
{
    // Voltage off first, then the sockets; Data_Latch is left as it is.
    for (const latch::TLatch_Value& l : latch::Reset_Sequence)
        Latch(l.Select, l.Value);
    Latches_In_Use = false;
}

} // namespace gang
