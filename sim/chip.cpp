#include "sim/chip.h"

namespace gang::sim {

double TChipTime::Clock_Us() const
{
    if (!Have_Clock) {
        Clock_Value = Clock_Fn();
        Have_Clock = true;
    }
    return Clock_Value;
}

TChip::TChip(const TChipType& type, const TFault& fault)
    : Kind(type), Fault_Spec(fault), Cells(type.Size, 0xFF)
{
}

void TChip::Erase()
{
    std::fill(Cells.begin(), Cells.end(), 0xFF);
}

uint32_t TChip::Pin_Address(uint32_t address) const
{
    const uint32_t line = 1u << Fault_Spec.Line;
    if (Fault_Spec.Kind == TFaultKind::Address_Line_0)
        return address & ~line;
    if (Fault_Spec.Kind == TFaultKind::Address_Line_1)
        return address | line;
    return address;
}

uint8_t TChip::Pin_Data(uint8_t data) const
{
    const auto line = static_cast<uint8_t>(1u << Fault_Spec.Bit);
    if (Fault_Spec.Kind == TFaultKind::Data_Line_0)
        return static_cast<uint8_t>(data & ~line);
    if (Fault_Spec.Kind == TFaultKind::Data_Line_1)
        return static_cast<uint8_t>(data | line);
    return data;
}

uint8_t TChip::Cell(uint32_t address) const
{
    uint8_t value = Cells[address % Kind.Size];
    if (Fault_Spec.Kind == TFaultKind::Stuck_At_0 && Fault_Spec.Times < 0 &&
        address == Fault_Spec.Address)
        value &= static_cast<uint8_t>(~(1u << Fault_Spec.Bit));
    return value;
}

void TChip::Set_Cell(uint32_t address, uint8_t value)
{
    Cells[address % Kind.Size] = value;
}

uint8_t TChip::Apply_Read_Fault(uint32_t address, uint8_t value, bool first_nibble)
{
    if (Fault_Spec.Kind != TFaultKind::Stuck_At_0 || address != Fault_Spec.Address)
        return value;
    if (first_nibble)
        ++Reads_At_Fault;
    if (Within_Times(Fault_Spec.Times, Reads_At_Fault))
        value &= static_cast<uint8_t>(~(1u << Fault_Spec.Bit));
    return value;
}

bool TChip::Stuck_1_Holds(uint32_t address)
{
    if (Fault_Spec.Kind != TFaultKind::Stuck_At_1 || address != Fault_Spec.Address)
        return false;
    ++Tries_At_Fault;
    return Within_Times(Fault_Spec.Times, Tries_At_Fault);
}

} // namespace gang::sim
