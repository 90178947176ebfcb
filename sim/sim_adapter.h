// The simulated gang adapter: the adapter on the far side of the parallel
// port, its five sockets and the chips in them, behind the same IPort as the
// hardware backend.
//
// Clocks.  Two clocks are used, each for what it is good at:
//   * Pulse widths (UV EPROM program strobes) and EEPROM internal write cycles
//     are measured on the injectable clock (Set_Clock); by default the real
//     steady (monotonic) clock, because the program times its pulses against
//     real time.  Tests inject a fake clock to be deterministic.
//   * The EEPROM page-load window (150 us between bytes of a page) is measured
//     on the simulated access clock: every port access costs Access_Us
//     (default 1 us, as on an ISA port), so a descheduled test thread can
//     never break a page.  Simulated_Port_Time_Us() reads that clock.
// No access ever sleeps.
//
// The adapter powers up with its latches at the values the program rests it
// with (Latch_3 00, Vpp_Latch 7F, Socket_Latch 62, Add_Hi_Latch 20, Add_Lo_Latch
// and Data_Latch 00).  The wire protocol is decoded here from the latch bits
// alone; see adapter_wiring.h (bits), latch_capture.h (strobe edge), voltage.h
// (programming voltage), socket_lines.h (enables, address and strobes per
// family), eprom_chip.h and eeprom_chip.h (the chips).
//
// Faults (TFault) per chip:
//   Stuck_At_1     Bit at Address never programs to 0; Times n: only on the
//                  first n program pulses / writes at Address.
//   Stuck_At_0     Bit at Address reads 0 even when erased; Times n: only the
//                  first n reads at Address.
//   Slow_Pulses    UV EPROM needing ten times its type's pulse width (never fast).
//   Write_Never_Completes  EEPROM stays in DATA polling after its first write
//                  (Address and Times unused).
//   Page_Reads_Wrong  EEPROM: a page write covering Address stores that byte
//                  with Bit flipped; Times n: only the first n such writes.
//   Sdp_Locked     28C64 / 28C256 whose software data protection is on when
//                  inserted (every 28C64 / 28C256 obeys the protection
//                  commands; this one merely starts locked).
// and per socket, a whole line between the adapter and the chip held at a
// level (a bent pin, a broken trace, a short), whoever drives it:
//   Data_Line_0/1  data line Bit reads 0 / 1 at every address, and the chip
//                  sees it so when it is written.
//   Address_Line_0/1  address line Line (within the chip's lines) is held
//                  at 0 / 1: the chip sees every read and every strobe at
//                  the address with that line forced, so writes through it
//                  land in the cell of the forced address.
#pragma once

#include "link/port.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gang::sim {

enum class TFaultKind {
    None,
    Stuck_At_1,            // Bit never programs to 0 (at Address, or everywhere)
    Stuck_At_0,            // Bit reads 0 even when erased (never blank)
    Slow_Pulses,           // UV EPROM needs far longer pulses than its type
    Write_Never_Completes, // EEPROM stays in DATA polling for ever
    Page_Reads_Wrong,      // EEPROM page reads back with bits flipped
    Sdp_Locked,            // 28C64 / 28C256 arrives with its write protection on
    Data_Line_0,           // the socket's data line Bit is held at 0
    Data_Line_1,           // the socket's data line Bit is held at 1
    Address_Line_0,        // the socket's address line Line is held at 0
    Address_Line_1         // the socket's address line Line is held at 1
};

struct TFault {
    TFaultKind Kind = TFaultKind::None;
    uint8_t Bit = 0;      // bit number 0..7 for the stuck faults
    uint32_t Address = 0; // chip address of the stuck bit / wrong page
    int Times = -1;       // -1 = always; n = the first n tries/reads at Address only
    uint8_t Line = 0;     // address line 0..15 of the address line faults
};

// One program or write strobe as the chip saw it (recorded when it ends).
struct TStrobeEvent {
    int Socket;       // 1..5
    uint32_t Address; // chip address during the strobe
    double Width_Us;  // on the injectable clock
    double Volts;     // programming voltage applied (0 = none)
};

struct TSimConfig {
    // The port the adapter hangs on.  0x278, 0x378 and 0x3BC are the legacy
    // ports; any other base is an add-in card, which OtherPorts() lists.
    uint16_t Base = 0x378;
    bool Present = true; // false: no adapter behind any port
    double Access_Us = 1.0;
    bool Fast_Chips = false;
    // IsWinNT() answer.  When true, direct register access works only inside
    // ranges granted by EnablePorts; other accesses are dropped and counted.
    bool Win_Nt = false;
};

class TSimAdapterImpl;

class TSimAdapter : public gang::IPort {
public:
    explicit TSimAdapter(TSimConfig config = {});
    ~TSimAdapter() override;
    TSimAdapter(const TSimAdapter&) = delete;
    TSimAdapter& operator=(const TSimAdapter&) = delete;

    // ---- sockets and chips (socket 1..5) ------------------------------------
    // Fresh erased chip; throws std::invalid_argument on an unknown type or socket.
    void Insert_Chip(int socket, const std::string& type_name, TFault fault = {});
    void Remove_Chip(int socket); // empty socket
    void Erase_Chip(int socket);  // UV erase: all FF
    bool Has_Chip(int socket) const;
    std::string Chip_Type(int socket) const; // "" for an empty socket
    uint8_t Chip_Byte(int socket, uint32_t address) const;
    void Set_Chip_Byte(int socket, uint32_t address, uint8_t value); // preload contents
    void Set_Fast_Chips(bool fast); // any valid pulse programs / write cycles end at once
    void Set_Present(bool present); // the adapter's cable plugged in or pulled
    void Set_Clock(std::function<double()> now_us); // default: steady clock
    static bool Is_Known_Type(const std::string& type_name);
    static std::vector<std::string> Known_Types();
    const TSimConfig& Config() const;

    // ---- observability -------------------------------------------------------
    uint64_t Port_Accesses() const;
    uint64_t Latch_Writes(uint8_t select_code) const;
    uint64_t Bus_Conflicts() const;
    uint64_t Overvoltage_Events() const;
    // A software-protection disable sequence whose next byte came later than
    // the byte-load limit after the one before (the chip stays locked).
    uint64_t Slow_Unlock_Events() const;
    // A chip read or strobed while its package bit (Socket_Latch bit 1) or a
    // fixed level of its family was wrong, or read with its strobe line driven.
    uint64_t Wiring_Faults() const;
    // Select code changed together with the strobe edge: no latch was written.
    uint64_t Setup_Violations() const;
    // Direct access outside EnablePorts (Win_Nt), or ReadEcr/WriteEcr with fast
    // mode on.
    uint64_t Access_Violations() const;
    // Effective program / write strobes; the log keeps the first 2^20 of them.
    uint64_t Strobe_Count() const;
    const std::vector<TStrobeEvent>& Strobes() const;
    // Clears the counters, the strobe log and the touched ports (not the
    // simulated port clock).
    void Clear_Events();
    uint8_t Latch(uint8_t select_code) const; // current latch contents
    bool At_Rest() const;                     // Latch_3 == 0x00 and Vpp_Latch == 0x7F
    bool Touched(uint16_t port) const;        // any access to that port address
    double Simulated_Port_Time_Us() const;    // accesses x Access_Us
    // One line per access: "W 0378 5A" / "R 0379 7F", each ended by "\n".
    // "" stops tracing and closes the file (so does the destructor).  Throws
    // std::runtime_error when the file cannot be opened.
    void Trace_To(const std::string& path);

    // ---- the card's I/O addresses, as the system bus sees them ---------------
    // One register access at an absolute port address; what the IPort calls
    // below come down to (and what the trace prints).
    void WriteByte(uint16_t port, uint8_t value);
    uint8_t ReadByte(uint16_t port);

    // ---- IPort -----------------------------------------------------------------
    bool IsWinNT() override;
    void SetFastMode(bool fast) override;
    void EnablePorts(uint16_t base) override;
    void DisablePorts(uint16_t base) override;
    uint8_t ReadEcr(uint16_t base) override;
    void WriteEcr(uint16_t base, uint8_t value) override;
    int GetLastState(std::string& text) override;
    std::vector<uint16_t> OtherPorts() override;
    void Write(uint16_t base, gang::TRegister reg, uint8_t value) override;
    uint8_t Read(uint16_t base, gang::TRegister reg) override;

private:
    std::unique_ptr<TSimAdapterImpl> Impl;
};

} // namespace gang::sim
