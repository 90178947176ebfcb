#include "sim/eeprom_chip.h"

namespace gang::sim {

namespace {
constexpr uint8_t Toggle_Bit = 0x40;
constexpr double Volt_Tolerance = 0.01;
} // namespace

void TEepromChip::Advance(const TChipTime& now)
{
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

bool TEepromChip::Strobe(const TChipStrobe& strobe, const TChipTime& now)
{
    if (strobe.Volts >= Eeprom_Max_Volts - Volt_Tolerance)
        return true;
    Advance(now);
    if (State == TState::Writing)
        return false;
    if (State == TState::Loading && Page_Of(strobe.Address) != Open_Page)
        return false;
    if (State == TState::Idle) {
        Loaded.clear();
        Open_Page = Page_Of(strobe.Address);
        State = TState::Loading;
    }
    Loaded[strobe.Address] = strobe.Data;
    Last_Byte = strobe.Data;
    Last_Strobe_Access_Us = now.Access_Us();
    if (Kind.Page_Size <= 1)
        Start_Write_Cycle(now);
    return false;
}

void TEepromChip::Start_Write_Cycle(const TChipTime& now)
{
    State = TState::Writing;
    Cycle_Start_Us = now.Clock_Us();
}

void TEepromChip::Commit()
{
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
