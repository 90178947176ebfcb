// The adapter's wire protocol as the hardware sees it: register offsets on the
// parallel port, latch select codes, and the meaning of every latch bit.
//
// These tables repeat what src/link/latches.h and address_map.cpp know, on
// purpose: the simulated adapter decodes the wires from its own reading of
// the hardware, so a wrong bit on the program's side shows up as a wrong
// byte in a simulated chip instead of being agreed with.  Never share them
// with the link.
#pragma once

#include <array>
#include <cstdint>

namespace gang::sim {

// ---- parallel-port registers (offsets from the base) ----------------------
constexpr uint16_t Data_Offset = 0;
constexpr uint16_t Status_Offset = 1;
constexpr uint16_t Control_Offset = 2;
constexpr uint16_t Ecr_Offset = 0x402;

// ---- control register ------------------------------------------------------
constexpr uint8_t Control_Strobe = 0x04;      // latch clock; also picks the nibble read
constexpr uint8_t Control_Select_Mask = 0x0B; // bits 0, 1, 3 carry the select code

// ---- status register ---------------------------------------------------------
constexpr uint8_t Status_Nibble_Mask = 0xF0;
constexpr uint8_t Status_Inverted_Bit = 0x80; // BUSY arrives inverted
constexpr uint8_t Status_Low_Bits = 0x07;     // unused inputs: read as 1 on most ports

// ---- latch select codes -----------------------------------------------------
constexpr uint8_t Select_Socket_Latch = 0x01;
constexpr uint8_t Select_Vpp_Latch = 0x02;
constexpr uint8_t Select_Latch_3 = 0x03;
constexpr uint8_t Select_Add_Lo_Latch = 0x09;
constexpr uint8_t Select_Data_Latch = 0x0A;
constexpr uint8_t Select_Add_Hi_Latch = 0x0B;

// Index 0..5 of a latch in the adapter's latch array; -1 for a code that
// selects no latch.
int Latch_Index(uint8_t select_code);

constexpr int Latch_Count = 6;
constexpr std::array<uint8_t, Latch_Count> Latch_Select_Codes = {
    Select_Socket_Latch, Select_Vpp_Latch,  Select_Latch_3,
    Select_Add_Lo_Latch, Select_Data_Latch, Select_Add_Hi_Latch};

// ---- Socket_Latch bits -------------------------------------------------------
constexpr uint8_t Sock_Enable_2 = 0x01;      // active low
constexpr uint8_t Sock_Small_Package = 0x02; // 1: 24-pin wiring (families 1, 2, 6)
constexpr uint8_t Sock_Enable_4 = 0x04;      // active low
constexpr uint8_t Sock_Enable_1 = 0x08;      // active low
constexpr uint8_t Sock_Outputs_Off = 0x10;   // 0: the chips' outputs are enabled
constexpr uint8_t Sock_Pgm_Fam_1 = 0x20;     // program strobe, active low
constexpr uint8_t Sock_Pgm_Fam_2_5 = 0x40;   // program strobe, active low
constexpr uint8_t Sock_Enable_3 = 0x80;      // active low

// ---- Vpp_Latch bits ------------------------------------------------------------
constexpr uint8_t Vpp_Pgm_Fam_4 = 0x02; // program strobe of family 4, active low;
                                        // program enable (low) of family 3
constexpr uint8_t Vpp_Enable_5 = 0x04;  // active high
constexpr uint8_t Vpp_Read_Mode = 0x08; // 1: read; 0: program (Data_Latch drives the bus)
constexpr uint8_t Vpp_Code_Mask = 0x30; // bits 5, 4
constexpr uint8_t Vpp_Code_Shift = 4;
constexpr uint8_t Vpp_Twelve_And_Half = 0x80;

// ---- Latch_3 bits ----------------------------------------------------------------
constexpr uint8_t L3_Vpp_On = 0x80;

// ---- Add_Hi_Latch bits -------------------------------------------------------------
constexpr uint8_t Hi_A11_Or_We = 0x08;  // A11; 1 (Vpp pin rest) fam 1; write strobe fam 6
constexpr uint8_t Hi_A13 = 0x20;        // inverted A13 for families 3, 4, 5, 8
constexpr uint8_t Hi_A14_Or_Pgm = 0x40; // A14; program strobe fam 3; write strobe fam 8
constexpr uint8_t Hi_Bit_7 = 0x80;      // A15; 1 (Vpp pin rest) fams 3, 4; A14 fam 8

// Reset values the adapter powers up with (and the program writes to rest it).
constexpr uint8_t Reset_Socket = 0x62;
constexpr uint8_t Reset_Vpp = 0x7F;
constexpr uint8_t Reset_Latch_3 = 0x00;
constexpr uint8_t Reset_Add_Hi = 0x20;
constexpr uint8_t Reset_Add_Lo = 0x00;
constexpr uint8_t Reset_Data = 0x00;

constexpr int Socket_Count = 5;

// The six latch contents by name.
struct TLatches {
    uint8_t Socket = Reset_Socket;
    uint8_t Vpp = Reset_Vpp;
    uint8_t L3 = Reset_Latch_3;
    uint8_t Add_Lo = Reset_Add_Lo;
    uint8_t Data = Reset_Data;
    uint8_t Add_Hi = Reset_Add_Hi;

    uint8_t& By_Index(int index);
    uint8_t By_Index(int index) const;
};

} // namespace gang::sim
