#include "sim/sim_adapter.h"

#include "sim/adapter_wiring.h"
#include "sim/chip.h"
#include "sim/eeprom_chip.h"
#include "sim/eprom_chip.h"
#include "sim/latch_capture.h"
#include "sim/port_trace.h"
#include "sim/socket_lines.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <chrono>
#include <stdexcept>

namespace gang::sim {

namespace {

constexpr uint8_t Floating = 0xFF; // an undriven port line reads high
constexpr uint8_t Ecr_Power_On = 0x35;
constexpr std::size_t Strobe_Log_Limit = std::size_t(1) << 20;

// The register's address on the card, from the card's own offsets.
uint16_t Address_Of(uint16_t base, gang::TRegister reg)
{
    switch (reg) {
    case gang::TRegister::Data:
        return static_cast<uint16_t>(base + Data_Offset);
    case gang::TRegister::Status:
        return static_cast<uint16_t>(base + Status_Offset);
    case gang::TRegister::Control:
        break;
    }
    return static_cast<uint16_t>(base + Control_Offset);
}

bool Is_Standard_Base(uint16_t base)
{
    return base == 0x278 || base == 0x378 || base == 0x3BC;
}

double Steady_Now_Us()
{
    using namespace std::chrono;
    return duration<double, std::micro>(steady_clock::now().time_since_epoch()).count();
}

// A program or write strobe in progress on one socket.
struct TStrobeTrack {
    bool Active = false;
    double Start_Us = 0;
    uint32_t Address = 0;
    uint8_t Data = 0xFF;
    double Volts = 0;
    bool Wiring_Ok = true;
};

} // namespace

class TSimAdapterImpl {
public:
    explicit TSimAdapterImpl(const TSimConfig& config) : Config(config), Clock(Steady_Now_Us) {}

    void Write(uint16_t port, uint8_t value);
    uint8_t Read(uint16_t port);
    void Count_Access(uint16_t port);
    TChipTime Now() const
    {
        return TChipTime(static_cast<double>(Total_Accesses) * Config.Access_Us, Clock);
    }

    bool Adapter_Here() const { return Config.Present; }
    bool Direct_Access_Allowed(uint16_t port) const;
    uint8_t Bus_Byte(bool first_nibble, const TChipTime& now);
    void Update_Sockets(const TChipTime& now);
    // The lines of socket index as the chip in it sees them.
    TSocketLines Chip_Lines(int index) const;
    void End_Strobe(int index, const TChipTime& now);
    TChip& Chip_At(int socket) const;
    static int Index_Of(int socket);

    TSimConfig Config;
    std::function<double()> Clock;
    TLatches Latches;
    TLatchCapture Capture;
    uint8_t Data_Register = 0x00;
    uint8_t Ecr = Ecr_Power_On;
    std::array<std::unique_ptr<TChip>, Socket_Count> Chips;
    std::array<TStrobeTrack, Socket_Count> Tracks;
    TPortTrace Trace;

    uint64_t Total_Accesses = 0; // the simulated port clock; never cleared
    uint64_t Accesses = 0;
    std::array<uint64_t, Latch_Count> Latch_Writes{};
    uint64_t Conflicts = 0;
    uint64_t Overvoltages = 0;
    uint64_t Slow_Unlocks = 0;
    uint64_t Wiring_Faults = 0;
    uint64_t Access_Violations = 0;
    uint64_t Strobe_Total = 0;
    std::vector<TStrobeEvent> Strobes;
    std::bitset<0x10000> Touched_Ports;

    bool Fast_Mode = false;
    std::vector<std::pair<uint16_t, uint16_t>> Enabled_Ranges;
};

// ---------------------------------------------------------------- port access

void TSimAdapterImpl::Count_Access(uint16_t port)
{
    ++Total_Accesses;
    ++Accesses;
    Touched_Ports.set(port);
    const TChipTime now = Now();
    for (auto& chip : Chips)
        if (chip)
            chip->Advance(now);
}

bool TSimAdapterImpl::Direct_Access_Allowed(uint16_t port) const
{
    if (!Config.Win_Nt)
        return true;
    return std::any_of(Enabled_Ranges.begin(), Enabled_Ranges.end(), [port](const auto& range) {
        return port >= range.first && port <= range.second;
    });
}

void TSimAdapterImpl::Write(uint16_t port, uint8_t value)
{
    Count_Access(port);
    Trace.Record(true, port, value);
    if (!Adapter_Here())
        return;
    const uint16_t base = Config.Base;
    if (port == base + Ecr_Offset) {
        Ecr = value;
    } else if (port == base + Data_Offset) {
        Data_Register = value;
    } else if (port == base + Control_Offset) {
        const int latch = Capture.On_Control(value, Data_Register, Latches);
        if (latch >= 0) {
            ++Latch_Writes[latch];
            Update_Sockets(Now());
        }
    }
}

uint8_t TSimAdapterImpl::Read(uint16_t port)
{
    Count_Access(port);
    uint8_t value = Floating;
    if (Adapter_Here()) {
        const uint16_t base = Config.Base;
        if (port == base + Ecr_Offset) {
            value = Ecr;
        } else if (port == base + Data_Offset) {
            value = Data_Register;
        } else if (port == base + Control_Offset) {
            value = Capture.Control();
        } else if (port == base + Status_Offset) {
            const bool low_nibble = (Capture.Control() & Control_Strobe) != 0;
            const uint8_t bus = Bus_Byte(!low_nibble, Now());
            const uint8_t nibble = low_nibble ? (bus & 0x0F) : (bus >> 4);
            value = static_cast<uint8_t>(((nibble << 4) ^ Status_Inverted_Bit) | Status_Low_Bits);
        }
    }
    Trace.Record(false, port, value);
    return value;
}

// --------------------------------------------------------------- read path

TSocketLines TSimAdapterImpl::Chip_Lines(int index) const
{
    const TChip& chip = *Chips[index];
    TSocketLines lines = Decode_Socket(Latches, index + 1, chip.Type());
    lines.Address = chip.Pin_Address(lines.Address);
    lines.Data_In = chip.Pin_Data(lines.Data_In);
    return lines;
}

uint8_t TSimAdapterImpl::Bus_Byte(bool first_nibble, const TChipTime& now)
{
    if (!(Latches.Vpp & Vpp_Read_Mode))
        return Latches.Data; // program mode: the data latch drives the lines
    uint8_t value = Floating;
    int drivers = 0;
    for (int i = 0; i < Socket_Count; ++i) {
        if (!Chips[i])
            continue;
        const TSocketLines lines = Chip_Lines(i);
        if (!lines.Outputs_On)
            continue;
        ++drivers;
        uint8_t out = Chips[i]->Read(lines.Address, first_nibble, now);
        if (!lines.Read_Ok) {
            // Wrong package wiring or fixed level: the chip answers garbage.
            out = static_cast<uint8_t>(~out);
            if (first_nibble)
                ++Wiring_Faults;
        }
        // A held data line reads its level whatever the chip drives.
        value &= Chips[i]->Pin_Data(out); // several drivers: the low outputs win
    }
    if (drivers > 1 && first_nibble)
        ++Conflicts;
    return value;
}

// ------------------------------------------------------- program and write strobes

void TSimAdapterImpl::Update_Sockets(const TChipTime& now)
{
    for (int i = 0; i < Socket_Count; ++i) {
        if (!Chips[i])
            continue;
        const TChip& chip = *Chips[i];
        const TSocketLines lines = Chip_Lines(i);
        TStrobeTrack& track = Tracks[i];
        const bool eprom = chip.Type().Kind == TChipKind::Uv_Eprom;
        bool restart = false;
        if (track.Active) {
            if (!lines.Strobe) {
                End_Strobe(i, now);
            } else if (eprom &&
                       (lines.Address != track.Address || lines.Data_In != track.Data ||
                        lines.Volts != track.Volts || lines.Wiring_Ok != track.Wiring_Ok)) {
                // A pulse that changes what it programs ends there; a new one begins.
                End_Strobe(i, now);
                restart = true;
            } else {
                // An EEPROM takes the data at the end of the strobe; the
                // highest voltage seen during it counts.
                track.Data = lines.Data_In;
                track.Volts = std::max(track.Volts, lines.Volts);
                track.Wiring_Ok = track.Wiring_Ok && lines.Wiring_Ok;
            }
        }
        if (lines.Strobe && (!track.Active || restart)) {
            track.Active = true;
            track.Start_Us = now.Clock_Us();
            track.Address = lines.Address;
            track.Data = lines.Data_In;
            track.Volts = lines.Volts;
            track.Wiring_Ok = lines.Wiring_Ok;
        }
    }
}

void TSimAdapterImpl::End_Strobe(int index, const TChipTime& now)
{
    TStrobeTrack& track = Tracks[index];
    track.Active = false;
    const double width = now.Clock_Us() - track.Start_Us;
    ++Strobe_Total;
    if (Strobes.size() < Strobe_Log_Limit)
        Strobes.push_back({index + 1, track.Address, width, track.Volts});
    if (!track.Wiring_Ok) {
        ++Wiring_Faults;
        return;
    }
    switch (Chips[index]->Strobe({track.Address, track.Data, width, track.Volts}, now)) {
    case TStrobe_Harm::Overvoltage:
        ++Overvoltages;
        break;
    case TStrobe_Harm::Slow_Unlock:
        ++Slow_Unlocks;
        break;
    case TStrobe_Harm::None:
        break;
    }
}

int TSimAdapterImpl::Index_Of(int socket)
{
    if (socket < 1 || socket > Socket_Count)
        throw std::invalid_argument("socket " + std::to_string(socket) +
                                    " does not exist (sockets are 1 to 5)");
    return socket - 1;
}

TChip& TSimAdapterImpl::Chip_At(int socket) const
{
    const auto& chip = Chips[Index_Of(socket)];
    if (!chip)
        throw std::invalid_argument("socket " + std::to_string(socket) + " is empty");
    return *chip;
}

// ================================================================ TSimAdapter

TSimAdapter::TSimAdapter(TSimConfig config) : Impl(std::make_unique<TSimAdapterImpl>(config)) {}

TSimAdapter::~TSimAdapter() = default;

void TSimAdapter::Insert_Chip(int socket, const std::string& type_name, TFault fault)
{
    const int index = TSimAdapterImpl::Index_Of(socket);
    const TChipType* type = Find_Chip_Type(type_name);
    if (!type)
        throw std::invalid_argument("unknown device type '" + type_name + "'");
    if (fault.Bit > 7)
        throw std::invalid_argument("fault bit " + std::to_string(fault.Bit) + " is not 0 to 7");
    if (fault.Address >= type->Size)
        throw std::invalid_argument("fault address is beyond the end of a " + type_name);
    if ((fault.Kind == TFaultKind::Address_Line_0 || fault.Kind == TFaultKind::Address_Line_1) &&
        (fault.Line > 15 || (1u << fault.Line) >= type->Size))
        throw std::invalid_argument("address line A" + std::to_string(fault.Line) +
                                    " is not a line of a " + type_name);
    const bool eeprom = type->Kind == TChipKind::Eeprom;
    if (!eeprom && (fault.Kind == TFaultKind::Write_Never_Completes ||
                    fault.Kind == TFaultKind::Page_Reads_Wrong))
        throw std::invalid_argument("that fault needs an EEPROM, not a " + type_name);
    if (fault.Kind == TFaultKind::Sdp_Locked && !(eeprom && type->Page_Size > 1))
        throw std::invalid_argument("software data protection needs a 28C64 or 28C256, not a " +
                                    type_name);
    if (eeprom && fault.Kind == TFaultKind::Slow_Pulses)
        throw std::invalid_argument("slow pulses need a UV EPROM, not a " + type_name);

    std::unique_ptr<TChip> chip;
    if (eeprom)
        chip = std::make_unique<TEepromChip>(*type, fault);
    else
        chip = std::make_unique<TEpromChip>(*type, fault);
    chip->Set_Fast(Impl->Config.Fast_Chips);
    Impl->Chips[index] = std::move(chip);
    Impl->Tracks[index] = {};
}

void TSimAdapter::Remove_Chip(int socket)
{
    const int index = TSimAdapterImpl::Index_Of(socket);
    Impl->Chips[index].reset();
    Impl->Tracks[index] = {};
}

void TSimAdapter::Erase_Chip(int socket)
{
    Impl->Chip_At(socket).Erase();
}

bool TSimAdapter::Has_Chip(int socket) const
{
    return Impl->Chips[TSimAdapterImpl::Index_Of(socket)] != nullptr;
}

std::string TSimAdapter::Chip_Type(int socket) const
{
    const auto& chip = Impl->Chips[TSimAdapterImpl::Index_Of(socket)];
    return chip ? chip->Type().Name : "";
}

uint8_t TSimAdapter::Chip_Byte(int socket, uint32_t address) const
{
    return Impl->Chip_At(socket).Cell(address);
}

void TSimAdapter::Set_Chip_Byte(int socket, uint32_t address, uint8_t value)
{
    Impl->Chip_At(socket).Set_Cell(address, value);
}

void TSimAdapter::Set_Present(bool present)
{
    Impl->Config.Present = present;
}

void TSimAdapter::Set_Fast_Chips(bool fast)
{
    Impl->Config.Fast_Chips = fast;
    for (auto& chip : Impl->Chips)
        if (chip)
            chip->Set_Fast(fast);
}

void TSimAdapter::Set_Clock(std::function<double()> now_us)
{
    Impl->Clock = now_us ? std::move(now_us) : std::function<double()>(Steady_Now_Us);
}

bool TSimAdapter::Is_Known_Type(const std::string& type_name)
{
    return Find_Chip_Type(type_name) != nullptr;
}

std::vector<std::string> TSimAdapter::Known_Types()
{
    std::vector<std::string> names;
    for (const TChipType& type : Chip_Types())
        names.push_back(type.Name);
    return names;
}

const TSimConfig& TSimAdapter::Config() const
{
    return Impl->Config;
}

uint64_t TSimAdapter::Port_Accesses() const
{
    return Impl->Accesses;
}

uint64_t TSimAdapter::Latch_Writes(uint8_t select_code) const
{
    const int index = Latch_Index(select_code);
    return index < 0 ? 0 : Impl->Latch_Writes[index];
}

uint64_t TSimAdapter::Bus_Conflicts() const
{
    return Impl->Conflicts;
}
uint64_t TSimAdapter::Overvoltage_Events() const
{
    return Impl->Overvoltages;
}
uint64_t TSimAdapter::Slow_Unlock_Events() const
{
    return Impl->Slow_Unlocks;
}
uint64_t TSimAdapter::Wiring_Faults() const
{
    return Impl->Wiring_Faults;
}
uint64_t TSimAdapter::Setup_Violations() const
{
    return Impl->Capture.Setup_Violations();
}
uint64_t TSimAdapter::Access_Violations() const
{
    return Impl->Access_Violations;
}
uint64_t TSimAdapter::Strobe_Count() const
{
    return Impl->Strobe_Total;
}
const std::vector<TStrobeEvent>& TSimAdapter::Strobes() const
{
    return Impl->Strobes;
}

void TSimAdapter::Clear_Events()
{
    Impl->Accesses = 0;
    Impl->Latch_Writes.fill(0);
    Impl->Conflicts = 0;
    Impl->Overvoltages = 0;
    Impl->Slow_Unlocks = 0;
    Impl->Wiring_Faults = 0;
    Impl->Access_Violations = 0;
    Impl->Strobe_Total = 0;
    Impl->Strobes.clear();
    Impl->Touched_Ports.reset();
    Impl->Capture.Clear_Counters();
}

uint8_t TSimAdapter::Latch(uint8_t select_code) const
{
    const int index = Latch_Index(select_code);
    if (index < 0)
        throw std::invalid_argument("select code " + std::to_string(select_code) +
                                    " selects no latch");
    return Impl->Latches.By_Index(index);
}

bool TSimAdapter::At_Rest() const
{
    return Impl->Latches.L3 == Reset_Latch_3 && Impl->Latches.Vpp == Reset_Vpp;
}

bool TSimAdapter::Touched(uint16_t port) const
{
    return Impl->Touched_Ports.test(port);
}

double TSimAdapter::Simulated_Port_Time_Us() const
{
    return static_cast<double>(Impl->Total_Accesses) * Impl->Config.Access_Us;
}

void TSimAdapter::Trace_To(const std::string& path)
{
    Impl->Trace.Open(path);
}

// ---------------------------------------------------------------- IPort

bool TSimAdapter::IsWinNT()
{
    return Impl->Config.Win_Nt;
}

void TSimAdapter::SetFastMode(bool fast)
{
    Impl->Fast_Mode = fast;
}

void TSimAdapter::EnablePorts(uint16_t base)
{
    Impl->Enabled_Ranges.emplace_back(base, static_cast<uint16_t>(base + Control_Offset));
}

void TSimAdapter::DisablePorts(uint16_t base)
{
    auto& ranges = Impl->Enabled_Ranges;
    const auto range = std::make_pair(base, static_cast<uint16_t>(base + Control_Offset));
    ranges.erase(std::remove(ranges.begin(), ranges.end(), range), ranges.end());
}

uint8_t TSimAdapter::ReadEcr(uint16_t base)
{
    if (Impl->Fast_Mode)
        ++Impl->Access_Violations; // the slow path needs fast mode off
    return Impl->Read(static_cast<uint16_t>(base + Ecr_Offset));
}

void TSimAdapter::WriteEcr(uint16_t base, uint8_t value)
{
    if (Impl->Fast_Mode)
        ++Impl->Access_Violations;
    Impl->Write(static_cast<uint16_t>(base + Ecr_Offset), value);
}

int TSimAdapter::GetLastState(std::string& text)
{
    text.clear();
    return 0;
}

std::vector<uint16_t> TSimAdapter::OtherPorts()
{
    // The simulated system's port list: the card the adapter hangs on.
    if (Impl->Config.Present && !Is_Standard_Base(Impl->Config.Base))
        return {Impl->Config.Base};
    return {};
}

void TSimAdapter::WriteByte(uint16_t port, uint8_t value)
{
    if (!Impl->Direct_Access_Allowed(port)) {
        ++Impl->Access_Violations; // would fault on a system that guards its ports
        return;
    }
    Impl->Write(port, value);
}

uint8_t TSimAdapter::ReadByte(uint16_t port)
{
    if (!Impl->Direct_Access_Allowed(port)) {
        ++Impl->Access_Violations;
        return Floating;
    }
    return Impl->Read(port);
}

void TSimAdapter::Write(uint16_t base, gang::TRegister reg, uint8_t value)
{
    WriteByte(Address_Of(base, reg), value);
}

uint8_t TSimAdapter::Read(uint16_t base, gang::TRegister reg)
{
    return ReadByte(Address_Of(base, reg));
}

} // namespace gang::sim
