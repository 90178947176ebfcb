// A 5-volt EEPROM (28C16 byte write, 28C64 / 28C256 page write).
//
// A write strobe loads one byte.  Types with pages take further bytes of the
// same page (address bits A5 and up shared) as long as each one follows the
// previous strobe within the page-load window of 150 us, measured on the
// simulated port clock; a byte of another page is ignored.  When the window
// runs out (or at once for the 28C16) the internal write cycle starts, timed
// on the injectable clock.  During the load and the cycle every read returns
// DATA polling: bit 7 of the last byte loaded inverted, bit 6 toggling, the
// other bits inverted, so never the final byte.  Strobes during the cycle are
// ignored.  Any strobe with 12.5 V or more on the chip is overvoltage and
// writes nothing.
//
// Software data protection (the paged types).  A locked chip takes a page
// only when it follows the enable triple AA to 5555, 55 to 2AAA, A0 to 5555;
// any other write runs the write cycle (polling as usual) and stores
// nothing.  The six bytes AA 5555, 55 2AAA, 80 5555, AA 5555, 55 2AAA,
// 20 5555 unlock it, each byte within the byte-load limit of the one before
// on the port clock, and start a write cycle; a byte of it that comes late
// breaks the sequence and counts as a slow unlock.  The enable triple locks
// an unlocked chip.  The addresses are taken on the chip's own address lines
// (a 28C64 sees 1555 and 0AAA).  Command bytes are never stored.
#pragma once

#include "sim/chip.h"

#include <map>

namespace gang::sim {

constexpr double Page_Load_Window_Us = 150.0;
constexpr double Eeprom_Max_Volts = 12.5;

class TEepromChip : public TChip {
public:
    TEepromChip(const TChipType& type, const TFault& fault)
        : TChip(type, fault), Locked(fault.Kind == TFaultKind::Sdp_Locked)
    {
    }

    uint8_t Read(uint32_t address, bool first_nibble, const TChipTime& now) override;
    TStrobe_Harm Strobe(const TChipStrobe& strobe, const TChipTime& now) override;
    void Advance(const TChipTime& now) override;
    void Erase() override;

    bool Busy() const { return State != TState::Idle; }

private:
    enum class TState { Idle, Loading, Writing };

    uint32_t Page_Of(uint32_t address) const { return address / Kind.Page_Size; }
    void Start_Write_Cycle(const TChipTime& now);
    void Commit();
    bool Has_Protection() const { return Kind.Page_Size > 1; }
    // Takes the strobe as a protection command byte when it is one; slow is
    // set when it breaks a disable sequence by coming late.
    bool Protection_Command(const TChipStrobe& strobe, const TChipTime& now, bool& slow);
    bool Is_Command_Byte(int step, const TChipStrobe& strobe) const;

    TState State = TState::Idle;
    std::map<uint32_t, uint8_t> Loaded;
    uint32_t Open_Page = 0;
    uint8_t Last_Byte = 0xFF;
    double Last_Strobe_Access_Us = 0;
    double Cycle_Start_Us = 0;
    bool Toggle = false;
    uint64_t Writes_At_Fault = 0;
    bool Locked;
    int Command_Step = 0;       // bytes of a protection command matched so far
    double Last_Command_Us = 0; // port clock at the last command byte
    bool Write_Enabled = false; // the enable triple came: the next page is taken
    double Enable_Clock_Us = 0; // injectable clock at the end of the triple
    bool Discard = false;       // the page being loaded is not stored (locked)
};

} // namespace gang::sim
