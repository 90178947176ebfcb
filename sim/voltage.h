// The programming voltage the adapter puts on the chips' Vpp pins.
//
//   Latch_3 bit 7 clear          no programming voltage: the Vpp pins stay at
//                                their read level (reported as 0 V)
//   Latch_3 bit 7 set, and Vpp_Latch bits 5, 4 (the regulator's code):
//     00                         25 V
//     01                         21 V
//     1x, Vpp_Latch bit 7 clear  12 V
//     1x, Vpp_Latch bit 7 set    12.5 V
//
// The program's 12 V and 5 V settings both leave Latch_3 at 0 and so apply no
// programming voltage at all.  The voltage reaches the chips only in program
// mode (Vpp_Latch bit 3 at 0); in read mode the Vpp pins are at their read
// level.
#pragma once

#include <cstdint>

namespace gang::sim {

constexpr double No_Vpp = 0.0;

// The regulator's output chosen by the two latches.
double Vpp_Setting_Volts(uint8_t latch_3, uint8_t vpp_latch);

// What the chips' Vpp pins see (No_Vpp in read mode).
double Applied_Vpp_Volts(uint8_t latch_3, uint8_t vpp_latch);

} // namespace gang::sim
