// The recording port of the link tests: it logs every access in order and
// answers reads from a script or a callback.  Decode() turns the raw log back
// into latch writes and bus reads so that tests read like the wire protocol.
#pragma once

#include "core/buffer.h"
#include "core/form_model.h"
#include "link/link.h"
#include "link/port.h"
#include "scripted_host.h"
#include "ui/core/form_report.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace gang::test {

enum class Op { Write, Read, Inp, Outp, Enable, Disable, FastMode, Pump };

struct TAccess {
    Op Kind;
    uint16_t Port;
    int Value;
};

class TRecordingPort : public IPort {
public:
    std::vector<TAccess> Log;
    bool Nt = false;
    std::string Fail_Text; // non-empty: EnablePorts fails with this text
    int Held_Base = -1;    // another program holds this port: EnablePorts fails there
    int Ecr = 0x35;        // the ECP control register behind ReadEcr/WriteEcr
    // Status reads are answered, in this order, from: the script; the byte
    // callback (one byte per Read_Bus, split into nibbles by the control
    // register); 0xFF.
    std::deque<uint8_t> Status_Script;
    std::function<uint8_t()> Next_Byte;
    // A minimal adapter for the port test: at this base, the byte strobed
    // into Data_Latch comes back on the read path (through Echo when set).
    // Status reads elsewhere float high.
    int Adapter_Base = -1;
    std::function<uint8_t(uint8_t latched)> Echo;

    bool IsWinNT() override { return Nt; }
    void SetFastMode(bool fast) override { Log.push_back({Op::FastMode, 0, fast ? 1 : 0}); }
    void EnablePorts(uint16_t base) override;
    void DisablePorts(uint16_t base) override;
    uint8_t ReadEcr(uint16_t base) override;
    void WriteEcr(uint16_t base, uint8_t value) override;
    int GetLastState(std::string& text) override;
    bool InUseElsewhere() override { return held_; }
    void Write(uint16_t base, TRegister reg, uint8_t value) override;
    uint8_t Read(uint16_t base, TRegister reg) override;

    // Direct register accesses (Write / Read) in the log.
    int Register_Accesses() const;
    // Register accesses whose port lies in [base, base + 2].
    int Accesses_At(uint16_t base) const;
    void Clear() { Log.clear(); }

private:
    bool failed_ = false;
    bool held_ = false;
    uint8_t control_ = 0;
    uint8_t byte_ = 0xFF; // byte being read, low nibble still to come
    uint8_t data_reg_ = 0;
    uint8_t latched_ = 0;
};

// Status register value that carries nibble n on bits 7..4 as the port shows
// it (bit 7 inverted), with junk on the low bits that must be ignored.
uint8_t Status_For(uint8_t nibble, uint8_t junk = 0x07);

// A link over the recording port and the scripted host, ready to use at base
// 0x378 once Open() ran.  The timer ticks at the second pump after arming.
struct TPortRig {
    TRecordingPort Port;
    TScriptedHost Host;
    TFormModel Form;
    TFormReport Report{Form};
    TSelection Sel;
    TBuffer Buffer;
    TLink Link{Port, Host, Report, Sel, Buffer};

    TPortRig()
    {
        Host.Link = &Link;
        Host.Port = &Port;
        Host.Tick_After_Pumps = 2;
    }
    // Port enabled at base, found flag set, log cleared.
    void Open(uint16_t base = 0x378);
};

// One decoded event of the port log.
struct TEvent {
    enum Kind { Latch, Read, Pump, Control, Other, Bad } What;
    uint8_t Select; // Latch: select code
    int Value;      // Latch: byte; Read: byte assembled; Control: value; Pump: count
    bool operator==(const TEvent& o) const
    {
        return What == o.What && Select == o.Select && Value == o.Value;
    }
};
std::string To_String(const TEvent& e);
std::ostream& operator<<(std::ostream& out, const TEvent& e);

TEvent L(uint8_t select, int value);
TEvent R(int value);
TEvent P(int pumps);

// Decodes the log of the port at base: latch write sequences, bus reads,
// runs of pumps (merged), other control writes; anything else is Bad.
std::vector<TEvent> Decode(const std::vector<TAccess>& log, uint16_t base);
// Only the latch writes, as (select, value).
std::vector<TEvent> Latches(const std::vector<TAccess>& log, uint16_t base);
// Widths (in pumps) of each run of pumps.
std::vector<long> Pump_Runs(const std::vector<TAccess>& log);

} // namespace gang::test
