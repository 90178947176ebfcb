// The gang adapter's wire protocol as named constants: the latch select codes
// placed on the control register, the strobe bit, the meaning of each latch
// bit and the fixed values the program writes.  The adapter's latches are
// write-only; every value the program writes is built from these names.
#pragma once

#include <cstdint>

namespace gang::latch {

// ---- Control register ------------------------------------------------------
// Bits 0, 1 and 3 carry the select code of a latch, bit 2 strobes it.
constexpr uint8_t Socket_Latch = 0x01;
constexpr uint8_t Vpp_Latch = 0x02;
constexpr uint8_t Latch_3 = 0x03;
constexpr uint8_t Add_Lo_Latch = 0x09;
constexpr uint8_t Data_Latch = 0x0A;
constexpr uint8_t Add_Hi_Latch = 0x0B;
constexpr uint8_t Strobe = 0x04;

// Control register values of the read path and the rest state.
constexpr uint8_t Control_Idle = 0x00;       // after every latch write and read
constexpr uint8_t Control_Low_Nibble = 0x04; // selects the low nibble of a read
constexpr uint8_t Control_Rest = 0x04;       // resting level left by Bus_Rest

// ---- Status register -------------------------------------------------------
// A byte comes back as two nibbles on status bits 7..4.  Bit 7 (BUSY) is
// inverted by the port hardware, so it is flipped back on every read.
constexpr uint8_t Status_Inverted = 0x80;
constexpr uint8_t Status_Nibble = 0xF0;
constexpr int Nibble_Shift = 4;

// ---- Socket_Latch bits -----------------------------------------------------
constexpr uint8_t Sock_Enable_2 = 0x01;     // 0 = socket 2 selected
constexpr uint8_t Sock_Small_Device = 0x02; // 1 for the 2 K / 4 K families
constexpr uint8_t Sock_Enable_4 = 0x04;     // 0 = socket 4 selected
constexpr uint8_t Sock_Enable_1 = 0x08;     // 0 = socket 1 selected
constexpr uint8_t Sock_Output_Off = 0x10;   // 0 = device outputs read
constexpr uint8_t Sock_Prog_Fam1 = 0x20;    // family 1 program strobe, active 0
constexpr uint8_t Sock_Prog_Fam2_5 = 0x40;  // families 2 and 5 program strobe, active 0
constexpr uint8_t Sock_Enable_3 = 0x80;     // 0 = socket 3 selected
constexpr uint8_t Sock_Enables_1_4 = Sock_Enable_1 | Sock_Enable_2 | Sock_Enable_3 | Sock_Enable_4;

// ---- Vpp_Latch bits --------------------------------------------------------
constexpr uint8_t Vpp_Always = 0x01;    // 1 in every voltage setting
constexpr uint8_t Vpp_Prog_Fam4 = 0x02; // family 4 program strobe, active 0
constexpr uint8_t Vpp_Enable_5 = 0x04;  // 1 = socket 5 selected
constexpr uint8_t Vpp_Read = 0x08;      // 1 = read / verify, 0 = program
constexpr uint8_t Vpp_Code = 0x30;      // voltage code, bits 5..4
constexpr uint8_t Vpp_Reset_Bit = 0x40; // 1 only in the reset value
constexpr uint8_t Vpp_12V5 = 0x80;      // the 12.5 V setting

// Voltage settings: bits 3..0 all 1 (read mode, socket 5 line high, family 4
// strobe at rest), the code in bits 5..4, bit 7 for 12.5 V.
constexpr uint8_t Vpp_Rest_Low_Bits = Vpp_Always | Vpp_Prog_Fam4 | Vpp_Enable_5 | Vpp_Read;
constexpr uint8_t Vpp_Code_25V = 0x00;
constexpr uint8_t Vpp_Code_21V = 0x10;
constexpr uint8_t Vpp_Code_Low = 0x30;                              // 12.5 V, 12 V and 5 V
constexpr uint8_t Vpp_Value_25V = Vpp_Rest_Low_Bits | Vpp_Code_25V; // 0x0F
constexpr uint8_t Vpp_Value_21V = Vpp_Rest_Low_Bits | Vpp_Code_21V; // 0x1F
constexpr uint8_t Vpp_Value_12V5 = Vpp_Rest_Low_Bits | Vpp_Code_Low | Vpp_12V5; // 0xBF
constexpr uint8_t Vpp_Value_Low = Vpp_Rest_Low_Bits | Vpp_Code_Low;             // 0x3F

// Family configurations derive Vpp_Latch from the voltage value by masking.
constexpr uint8_t Read_Vpp_Keep = static_cast<uint8_t>(~(Vpp_12V5 | Vpp_Enable_5));          // 0x7B
constexpr uint8_t Prog_Vpp_Keep = static_cast<uint8_t>(~(Vpp_Read | Vpp_Enable_5));          // 0xF3
constexpr uint8_t Prog_Vpp_Keep_Fam3 = static_cast<uint8_t>(Prog_Vpp_Keep & ~Vpp_Prog_Fam4); // 0xF1

// ---- Latch_3 bits ----------------------------------------------------------
constexpr uint8_t L3_High_Vpp = 0x80; // set for 25 V, 21 V and 12.5 V

// ---- Add_Hi_Latch bits -----------------------------------------------------
constexpr uint8_t Hi_A11_Or_Write_Fam6 = 0x08; // family 6 write strobe, active 0
constexpr uint8_t Hi_A13 = 0x20;               // A13, inverted on families 3, 4, 5, 8
constexpr uint8_t Hi_Strobe_Fam3_8 = 0x40;     // program / write strobe, active 0
constexpr uint8_t Hi_Bit7 = 0x80;

// ---- Add_Lo_Latch values written by the configurations ---------------------
constexpr uint8_t Add_Lo_Prog_Setup = 0x05;
constexpr uint8_t Add_Lo_Eprom_Setup = 0xFF;

// ---- Reset values, in the order Reset_Latches writes them ------------------
constexpr uint8_t Reset_Latch_3 = 0x00;
constexpr uint8_t Reset_Vpp = 0x7F;
constexpr uint8_t Reset_Socket = 0x62;
constexpr uint8_t Reset_Add_Hi = 0x20;
constexpr uint8_t Reset_Add_Lo = 0x00;

// Reset_Latches as data: voltage off first, then the sockets and the address.
struct TLatch_Value {
    uint8_t Select;
    uint8_t Value;
};
constexpr TLatch_Value Reset_Sequence[] = {{Latch_3, Reset_Latch_3},
                                           {Vpp_Latch, Reset_Vpp},
                                           {Socket_Latch, Reset_Socket},
                                           {Add_Hi_Latch, Reset_Add_Hi},
                                           {Add_Lo_Latch, Reset_Add_Lo}};

// ---- Discovery -------------------------------------------------------------
constexpr uint8_t Probe_Vpp = 0xB7; // Vpp_Latch during the port test
constexpr uint8_t Search_Vpp_Value = 0xB0;
constexpr uint8_t Test_Pattern_1 = 0xA5;
constexpr uint8_t Test_Pattern_2 = 0x5A;

} // namespace gang::latch
