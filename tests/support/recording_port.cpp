#include "recording_port.h"

#include "core/hex_text.h"
#include "link/latches.h"

#include <sstream>

namespace gang::test {

namespace {
// The log keeps the ports' absolute addresses, as a bus analyser would.
uint16_t At(uint16_t base, uint16_t offset)
{
    return static_cast<uint16_t>(base + offset);
}
constexpr uint16_t Last_Register = 2;
} // namespace

void TRecordingPort::EnablePorts(uint16_t base)
{
    Log.push_back({Op::Enable, base, At(base, Last_Register)});
    held_ = base == Held_Base;
    failed_ = !Fail_Text.empty() || held_;
}

void TRecordingPort::DisablePorts(uint16_t base)
{
    Log.push_back({Op::Disable, base, At(base, Last_Register)});
    failed_ = false;
}

uint8_t TRecordingPort::ReadEcr(uint16_t base)
{
    Log.push_back({Op::Inp, At(base, Ecr_Offset), Ecr});
    return static_cast<uint8_t>(Ecr);
}

void TRecordingPort::WriteEcr(uint16_t base, uint8_t value)
{
    Log.push_back({Op::Outp, At(base, Ecr_Offset), value});
    Ecr = value;
}

int TRecordingPort::GetLastState(std::string& text)
{
    if (!failed_)
        return 0;
    text = Fail_Text;
    return 1;
}

void TRecordingPort::Write(uint16_t base, TRegister reg, uint8_t value)
{
    const uint16_t port = At(base, static_cast<uint16_t>(reg));
    Log.push_back({Op::Write, port, value});
    if ((port & 0x3) == 2)
        control_ = value;
    if (Adapter_Base >= 0 && port == Adapter_Base)
        data_reg_ = value;
    if (Adapter_Base >= 0 && port == Adapter_Base + 2 &&
        value == (latch::Data_Latch | latch::Strobe))
        latched_ = data_reg_;
}

uint8_t TRecordingPort::Read(uint16_t base, TRegister reg)
{
    const uint16_t port = At(base, static_cast<uint16_t>(reg));
    uint8_t status = 0xFF;
    if (!Status_Script.empty()) {
        status = Status_Script.front();
        Status_Script.pop_front();
    } else if (Next_Byte || (Adapter_Base >= 0 && port == Adapter_Base + 1)) {
        const bool high = (control_ & latch::Strobe) == 0;
        if (high)
            byte_ = Next_Byte ? Next_Byte() : Echo ? Echo(latched_) : latched_;
        status = Status_For(high ? byte_ >> 4 : byte_ & 0x0F);
    }
    Log.push_back({Op::Read, port, status});
    return status;
}

int TRecordingPort::Register_Accesses() const
{
    int n = 0;
    for (const auto& a : Log)
        n += (a.Kind == Op::Write || a.Kind == Op::Read) ? 1 : 0;
    return n;
}

int TRecordingPort::Accesses_At(uint16_t base) const
{
    int n = 0;
    for (const auto& a : Log)
        if ((a.Kind == Op::Write || a.Kind == Op::Read) && a.Port >= base && a.Port <= base + 2)
            ++n;
    return n;
}

uint8_t Status_For(uint8_t nibble, uint8_t junk)
{
    return static_cast<uint8_t>(((nibble << 4) ^ 0x80) | (junk & 0x0F));
}

void TPortRig::Open(uint16_t base)
{
    Link.DataPort = base;
    Link.Port_Enable();
    Link.Set_Found(true);
    Port.Clear();
}

TEvent L(uint8_t select, int value)
{
    return {TEvent::Latch, select, value};
}
TEvent R(int value)
{
    return {TEvent::Read, 0, value};
}
TEvent P(int pumps)
{
    return {TEvent::Pump, 0, pumps};
}

std::string To_String(const TEvent& e)
{
    switch (e.What) {
    case TEvent::Latch:
        return "L(" + IntToHex(e.Select, 2) + "," + IntToHex(e.Value, 2) + ")";
    case TEvent::Read:
        return "R(" + IntToHex(e.Value, 2) + ")";
    case TEvent::Pump:
        return "P(" + std::to_string(e.Value) + ")";
    case TEvent::Control:
        return "C(" + IntToHex(e.Value, 2) + ")";
    case TEvent::Other:
        return "Other";
    case TEvent::Bad:
        return "Bad";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, const TEvent& e)
{
    return out << To_String(e);
}

std::vector<TEvent> Decode(const std::vector<TAccess>& log, uint16_t base)
{
    const uint16_t data = base, status = base + 1, control = base + 2;
    auto is = [&](size_t i, Op kind, uint16_t port) {
        return i < log.size() && log[i].Kind == kind && log[i].Port == port;
    };
    auto ctrl = [&](size_t i, int value) {
        return is(i, Op::Write, control) && log[i].Value == value;
    };
    std::vector<TEvent> out;
    size_t i = 0;
    while (i < log.size()) {
        if (is(i, Op::Write, data) && is(i + 1, Op::Write, control)) {
            const int c = log[i + 1].Value;
            if (ctrl(i + 2, c | 4) && ctrl(i + 3, c | 4) && ctrl(i + 4, c) && ctrl(i + 5, 0)) {
                out.push_back(L(static_cast<uint8_t>(c), log[i].Value));
                i += 6;
                continue;
            }
            out.push_back({TEvent::Bad, 0, 0});
            ++i;
            continue;
        }
        if (ctrl(i, 0) && is(i + 1, Op::Read, status) && ctrl(i + 2, 4) &&
            is(i + 3, Op::Read, status) && ctrl(i + 4, 0)) {
            const int hi = (log[i + 1].Value ^ 0x80) & 0xF0;
            const int lo = ((log[i + 3].Value ^ 0x80) >> 4) & 0x0F;
            out.push_back(R(hi | lo));
            i += 5;
            continue;
        }
        if (log[i].Kind == Op::Pump) {
            if (!out.empty() && out.back().What == TEvent::Pump)
                ++out.back().Value;
            else
                out.push_back(P(1));
            ++i;
            continue;
        }
        if (is(i, Op::Write, control)) {
            out.push_back({TEvent::Control, 0, log[i].Value});
            ++i;
            continue;
        }
        out.push_back({TEvent::Other, 0, 0});
        ++i;
    }
    return out;
}

std::vector<TEvent> Latches(const std::vector<TAccess>& log, uint16_t base)
{
    std::vector<TEvent> out;
    for (const auto& e : Decode(log, base))
        if (e.What == TEvent::Latch || e.What == TEvent::Bad)
            out.push_back(e);
    return out;
}

std::vector<long> Pump_Runs(const std::vector<TAccess>& log)
{
    std::vector<long> runs;
    bool in_run = false;
    for (const auto& a : log) {
        if (a.Kind == Op::Pump) {
            if (in_run)
                ++runs.back();
            else
                runs.push_back(1);
            in_run = true;
        } else {
            in_run = false;
        }
    }
    return runs;
}

} // namespace gang::test
