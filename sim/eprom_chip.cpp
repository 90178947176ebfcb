#include "sim/eprom_chip.h"

namespace gang::sim {

namespace {
constexpr double Volt_Tolerance = 0.01;
}

uint8_t TEpromChip::Read(uint32_t address, bool first_nibble, const TChipTime& now)
{
    (void)now;
    return Apply_Read_Fault(address, Cells[address], first_nibble);
}

double TEpromChip::Need_Us() const
{
    if (Fault_Spec.Kind == TFaultKind::Slow_Pulses)
        return Kind.Pulse_Need_Us * Slow_Chip_Factor;
    return Kind.Pulse_Need_Us;
}

double TEpromChip::Bit_Threshold_Us(uint32_t address, int bit) const
{
    const int rank = static_cast<int>((static_cast<uint32_t>(bit) + address) % 8) + 1; // 1..8
    return Need_Us() * (0.5 + 0.5 * rank / 8.0);
}

TStrobe_Harm TEpromChip::Strobe(const TChipStrobe& strobe, const TChipTime& now)
{
    (void)now;
    if (strobe.Volts > Kind.Vpp_Volts + Volt_Tolerance)
        return TStrobe_Harm::Overvoltage;
    if (strobe.Volts < Kind.Vpp_Volts - Volt_Tolerance || strobe.Width_Us <= 0)
        return TStrobe_Harm::None;

    const uint32_t address = strobe.Address;
    uint8_t cell = Cells[address];
    const uint8_t to_clear = static_cast<uint8_t>(cell & ~strobe.Data);
    const bool stuck_holds = Stuck_1_Holds(address);
    if (!to_clear)
        return TStrobe_Harm::None;

    const bool instant = Fast && Fault_Spec.Kind != TFaultKind::Slow_Pulses;
    std::array<double, 8>& charge = Charge[address];
    for (int bit = 0; bit < 8; ++bit) {
        const uint8_t mask = static_cast<uint8_t>(1u << bit);
        if (!(to_clear & mask))
            continue;
        if (stuck_holds && bit == Fault_Spec.Bit)
            continue;
        charge[bit] += strobe.Width_Us;
        if (instant || charge[bit] >= Bit_Threshold_Us(address, bit))
            cell = static_cast<uint8_t>(cell & ~mask);
    }
    Cells[address] = cell;
    // Forget the charge of a byte whose charged bits have all programmed.
    bool partly = false;
    for (int bit = 0; bit < 8; ++bit)
        partly = partly || ((cell >> bit) & 1u && charge[bit] > 0);
    if (!partly)
        Charge.erase(address);
    return TStrobe_Harm::None;
}

void TEpromChip::Erase()
{
    TChip::Erase();
    Charge.clear();
}

} // namespace gang::sim
