#include "sim/eeprom_chip.h"

namespace gang::sim {

namespace {
constexpr uint8_t Toggle_Bit = 0x40;
constexpr double Volt_Tolerance = 0.01;

// The protection commands as the chip decodes them.
constexpr uint32_t Command_Address_1 = 0x5555;
constexpr uint32_t Command_Address_2 = 0x2AAA;
constexpr uint8_t Key_1 = 0xAA;
constexpr uint8_t Key_2 = 0x55;
constexpr uint8_t Enable_Code = 0xA0;
constexpr uint8_t Disable_Lead = 0x80;
constexpr uint8_t Disable_Code = 0x20;
constexpr int Enable_Step = 2; // the third byte tells enable from disable
constexpr int Disable_Length = 6;

struct TCommand_Byte {
    uint32_t Address;
    uint8_t Data;
};
constexpr TCommand_Byte Disable_Bytes[Disable_Length] = {
    {Command_Address_1, Key_1}, {Command_Address_2, Key_2}, {Command_Address_1, Disable_Lead},
    {Command_Address_1, Key_1}, {Command_Address_2, Key_2}, {Command_Address_1, Disable_Code}};
} // namespace

void TEepromChip::Advance(const TChipTime& now)
{
    // The enable triple alone: the write cycle runs with nothing to store.
    if (Write_Enabled && State == TState::Idle &&
        now.Access_Us() - Last_Command_Us > Page_Load_Window_Us) {
        Write_Enabled = false;
        Loaded.clear();
        Discard = true;
        // The cycle began when the triple ended, not at this later access:
        // the port clock stands still while the program waits.
        State = TState::Writing;
        Cycle_Start_Us = Enable_Clock_Us;
    }
    if (State == TState::Loading && now.Access_Us() - Last_Strobe_Access_Us > Page_Load_Window_Us)
        Start_Write_Cycle(now);
    if (State == TState::Writing && Fault_Spec.Kind != TFaultKind::Write_Never_Completes &&
        (Fast || now.Clock_Us() - Cycle_Start_Us >= Kind.Write_Cycle_Us)) {
        Commit();
        State = TState::Idle;
    }
}

uint8_t TEepromChip::Read(uint32_t address, bool first_nibble, const TChipTime& now)
{
    Advance(now);
    if (State == TState::Idle)
        return Apply_Read_Fault(address, Cells[address], first_nibble);
    if (first_nibble)
        Toggle = !Toggle;
    const uint8_t inverted = static_cast<uint8_t>(~Last_Byte);
    return static_cast<uint8_t>((inverted & ~Toggle_Bit) | (Toggle ? Toggle_Bit : 0));
}

bool TEepromChip::Is_Command_Byte(int step, const TChipStrobe& strobe) const
{
    const uint32_t lines = Kind.Size - 1;
    return strobe.Address == (Disable_Bytes[step].Address & lines) &&
           strobe.Data == Disable_Bytes[step].Data;
}

bool TEepromChip::Protection_Command(const TChipStrobe& strobe, const TChipTime& now, bool& slow)
{
    const double access_us = now.Access_Us();
    if (Command_Step > 0 && access_us - Last_Command_Us > Page_Load_Window_Us) {
        // Late: the sequence is broken.  A late byte that would have gone on
        // with a disable is a too-slow unlock.
        slow = Is_Command_Byte(Command_Step, strobe) &&
               (Command_Step > Enable_Step || strobe.Data == Disable_Lead);
        Command_Step = 0;
    }
    const uint32_t lines = Kind.Size - 1;
    if (Command_Step == Enable_Step && strobe.Address == (Command_Address_1 & lines) &&
        strobe.Data == Enable_Code) {
        Command_Step = 0;
        Locked = true;
        Write_Enabled = true;
        Last_Command_Us = access_us;
        Enable_Clock_Us = now.Clock_Us();
        return true;
    }
    if (!Is_Command_Byte(Command_Step, strobe)) {
        Command_Step = 0;
        return false;
    }
    Last_Command_Us = access_us;
    if (++Command_Step < Disable_Length)
        return true;
    Command_Step = 0;
    Locked = false;
    Loaded.clear();
    Discard = true;
    Start_Write_Cycle(now);
    return true;
}

TStrobe_Harm TEepromChip::Strobe(const TChipStrobe& strobe, const TChipTime& now)
{
    if (strobe.Volts >= Eeprom_Max_Volts - Volt_Tolerance)
        return TStrobe_Harm::Overvoltage;
    Advance(now);
    if (State == TState::Writing)
        return TStrobe_Harm::None;
    bool slow = false;
    // Commands are taken between pages, not inside one, nor as the page
    // that follows an enable triple.
    if (Has_Protection() && State == TState::Idle && !Write_Enabled &&
        Protection_Command(strobe, now, slow))
        return slow ? TStrobe_Harm::Slow_Unlock : TStrobe_Harm::None;
    const TStrobe_Harm harm = slow ? TStrobe_Harm::Slow_Unlock : TStrobe_Harm::None;
    if (State == TState::Loading && Page_Of(strobe.Address) != Open_Page)
        return harm;
    if (State == TState::Idle) {
        Loaded.clear();
        Open_Page = Page_Of(strobe.Address);
        State = TState::Loading;
        Discard = Locked && !Write_Enabled;
        Write_Enabled = false;
    }
    Loaded[strobe.Address] = strobe.Data;
    Last_Byte = strobe.Data;
    Last_Strobe_Access_Us = now.Access_Us();
    if (Kind.Page_Size <= 1)
        Start_Write_Cycle(now);
    return harm;
}

void TEepromChip::Start_Write_Cycle(const TChipTime& now)
{
    State = TState::Writing;
    Cycle_Start_Us = now.Clock_Us();
}

void TEepromChip::Commit()
{
    if (Discard) {
        Discard = false;
        Loaded.clear();
        return;
    }
    bool page_has_fault =
        Fault_Spec.Kind == TFaultKind::Page_Reads_Wrong && Loaded.count(Fault_Spec.Address) != 0;
    if (page_has_fault)
        ++Writes_At_Fault;
    page_has_fault = page_has_fault && Within_Times(Fault_Spec.Times, Writes_At_Fault);
    const uint8_t fault_mask = static_cast<uint8_t>(1u << Fault_Spec.Bit);

    for (const auto& [address, data] : Loaded) {
        uint8_t value = data;
        if (Stuck_1_Holds(address))
            value |= fault_mask;
        if (page_has_fault && address == Fault_Spec.Address)
            value ^= fault_mask;
        Cells[address] = value;
    }
    Loaded.clear();
}

void TEepromChip::Erase()
{
    TChip::Erase();
    Loaded.clear();
    State = TState::Idle;
}

} // namespace gang::sim
