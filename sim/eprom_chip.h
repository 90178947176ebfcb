// A UV EPROM.  Erased cells read FF; a program pulse can only turn bits from 1
// to 0 (erasure, a test call, brings them back).  A pulse acts only with the
// chip's own programming voltage: a lower one programs nothing, a higher one
// programs nothing and is reported as overvoltage.
//
// Each bit that a pulse drives to 0 collects the pulse's width; it reads 0 once
// its total reaches its threshold.  The thresholds of the eight bits of a byte
// are spread between 9/16 and 16/16 of the type's need (the spread rotates with
// the address), so a byte reads back partly programmed first and fully
// programmed once it has received the type's whole need.  With fast chips any
// pulse programs at once; a Slow_Pulses chip needs ten times its type's pulse
// width and is never fast.
#pragma once

#include "sim/chip.h"

#include <array>
#include <unordered_map>

namespace gang::sim {

constexpr double Slow_Chip_Factor = 10.0;

class TEpromChip : public TChip {
public:
    TEpromChip(const TChipType& type, const TFault& fault) : TChip(type, fault) {}

    uint8_t Read(uint32_t address, bool first_nibble, const TChipTime& now) override;
    TStrobe_Harm Strobe(const TChipStrobe& strobe, const TChipTime& now) override;
    void Erase() override;

    // Width a bit of this byte needs before it reads 0.
    double Bit_Threshold_Us(uint32_t address, int bit) const;

private:
    double Need_Us() const;

    std::unordered_map<uint32_t, std::array<double, 8>> Charge; // partly programmed bytes
};

} // namespace gang::sim
