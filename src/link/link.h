// The programmer link: everything between the program and the gang adapter on
// the parallel port.  One instance per program (owned by the front end); it
// holds the link's program-wide state as plain members and offers the small
// argument-less routines that act on it.  The routines are implemented one
// concern per file:
//
//   port_access.cpp   Port_Enable, Port_Release
//   bus.cpp           the six Write_Latch entry points, Read_Bus, Reset_Latches
//   timing.cpp        Timer_Wait, ThreadedTimer1Timer, Bus_Rest, Check_Speed,
//                     Derive_Pulse_Unit, Pulse_Wait
//   discovery.cpp     Find_Programmer, Probe_Port, Port_Test
//   voltage.cpp       Set_Vpp
//   socket.cpp        Reset_Link, Read_Config, Prog_Config, Apply_Config,
//                     Select_Socket, Set_Address, Read_Socket,
//                     Mark_Socket_Failed, Next_Address, the gang loop
//   gang_state.cpp    each socket's part and result (gang_state.h)
//   programming.cpp   Program_Range, Prog_Pulse, Prog_Byte, EE_Write_Byte,
//                     EE_Write_Page
//   protection.cpp    EE_Unlock, EE_Lock, Protect_Gang
//   start_up.cpp      Find_And_Calibrate, Start_Up, Rest_Adapter, Close_Down
//   families.cpp      the table of device families (families.h)
//
// The link never touches a widget: it reads the user's choices from
// TSelection, tells the user what happens through IReport and asks the front
// end for message pumps, timer waits and dialogs through IHost.
#pragma once

#include "core/buffer.h"
#include "link/families.h"
#include "link/gang_state.h"
#include "link/host.h"
#include "link/port.h"
#include "link/report.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace gang {

class TLink {
public:
    TLink(IPort& port, IHost& host, IReport& report, TSelection& selection, TBuffer& buffer)
        : Access(port), Registers(port), Host(host), Report(report), Selection(selection),
          Buffer(buffer)
    {
    }
    ~TLink();
    TLink(const TLink&) = delete;
    TLink& operator=(const TLink&) = delete;

    // ---- Port access -------------------------------------------------------
    void Port_Enable();
    void Port_Release();

    // ---- Adapter bus: one entry point per latch, each writes Latch_Byte ------
    void Write_Socket_Latch();
    void Write_Vpp_Latch();
    void Write_Latch_3();
    void Write_Add_Lo_Latch();
    void Write_Data_Latch();
    void Write_Add_Hi_Latch();
    void Read_Bus();
    void Reset_Latches();

    // ---- Timing -------------------------------------------------------------
    void Timer_Wait();
    void ThreadedTimer1Timer(); // the timer's tick, run on the window's thread
    void Bus_Rest();
    void Check_Speed();
    void Derive_Pulse_Unit(); // Pulse_Unit from Speed_Count, at least 1
    void Pulse_Wait();

    // ---- Discovery ----------------------------------------------------------
    void Find_Programmer();
    void Probe_Port();
    void Port_Test(uint8_t pattern);

    // ---- Start and end of the program ----------------------------------------
    // The search, then the speed check and the pulse unit when found; the
    // pulse unit is at least 1 either way.
    void Find_And_Calibrate();
    // The search every program starts with: with calibrate
    // Find_And_Calibrate, else Find_Programmer alone (a run that sends no
    // pulse needs no speed check); then the working nibble delay.
    void Search(bool calibrate);
    // The window's start-up: Search with the speed check, then the voltage.
    void Start_Up();
    // With the adapter found: the latches reset (no programming voltage)
    // and the control lines rested; port access kept.
    void Rest_Adapter();
    // The end: the adapter rested and port access given back.  Nothing
    // touches the port after it.
    void Close_Down();
    // Busy-loop count before each nibble once start-up is over (the search
    // runs with a shorter one).
    static constexpr int32_t Working_Nibble_Delay = 5;

    // ---- Programming voltage ------------------------------------------------
    void Set_Vpp();

    // ---- Socket configuration, addressing and read --------------------------
    void Reset_Link();
    void Read_Config();
    void Prog_Config();
    void Apply_Config();
    void Select_Socket();
    void Set_Address();
    void Read_Socket();
    // Cur_Socket drops out of the run with that kind of failure, at the
    // address and with the bytes of Miss.
    void Mark_Socket_Failed(TResult_Kind kind);
    // The check that failed last: the address, the byte expected there and
    // the byte read (Read_Value).  Left by each check before it marks a
    // socket failed.
    void Note_Miss(int32_t address, uint8_t expected);
    TSocket_Result Miss;
    void Next_Address();
    // The gang loop of blank check, verify and program: for each address
    // from Cur_Add, Set_Address, then socket_step for each socket of the
    // gang still taking part (Cur_Socket set to it), then Cur_Add on by
    // address_step; until the range ends, a stop is requested or no socket
    // is left.  A socket still taking part when a stop cut the range short
    // reads Stopped.
    template <typename TSocket_Step>
    void Gang_Loop(int32_t address_step, TSocket_Step&& socket_step)
    {
        do {
            Set_Address();
            For_Each_Socket(socket_step);
            Cur_Add = Cur_Add + (address_step - 1);
            Next_Address();
        } while (!(Quit_Flag > 0 || Gang_Mask() == 0));
        End_Gang_Loop();
    }
    // For socket k = 1 to the gang size: Cur_Socket <- k, and socket_step
    // when socket k still takes part.
    template <typename TSocket_Step> void For_Each_Socket(TSocket_Step&& socket_step)
    {
        for (int32_t k = 1; k <= Gang_Size() && k <= Max_Gang_Size; ++k) {
            Cur_Socket = k;
            if (Gang.Taking_Part(k))
                socket_step();
        }
    }
    // The move command's one socket.
    void Use_Socket(int32_t socket) { Cur_Socket = socket; }
    // The stop button: the operation in hand ends after its address.
    void Request_Stop();
    // Quit_Flag value of a stop request (stop button or window close).
    static constexpr int32_t Stop_Request = 5;
    // A close: the stop, any timer wait ended, and no port enabled again.
    void Request_Close();
    // The user named one port for the search (--port).
    void Choose_Port(std::optional<uint16_t> base) { Chosen_Port = base; }

    // ---- Programming algorithms ---------------------------------------------
    void Program_Range();
    void Prog_Pulse();
    void Prog_Byte();
    void EE_Write_Byte();
    void EE_Write_Page();

    // ---- Software data protection (28C64, 28C256) ----------------------------
    // The disable sequence into the selected socket, with the page write's
    // strobe: nothing in it waits or pumps messages.
    void EE_Unlock();
    // The enable triple alone into the selected socket.
    void EE_Lock();
    // The sequence into each good socket of the gang, all sockets deselected
    // after it, then one 10 ms wait for the chips' write cycle.
    void Protect_Gang(void (TLink::*sequence)());

    // ---- State --------------------------------------------------------------
    // The one port a search probes when the user named it (--port); without
    // it the search tries 0x278, 0x378, 0x3BC, then the system's other ports.
    std::optional<uint16_t> Chosen_Port;
    // Base address of the port being searched or found (its data register).
    uint16_t DataPort = 0;
    uint8_t Saved_Ecr = 0;
    // Set by Port_Enable when the port-access library reported a failure: the
    // probe in hand must not touch the registers (an unpermitted access kills
    // the process on real hardware).
    bool Enable_Failed = false;
    // The ports the last search passed over because another program holds
    // them.
    std::vector<uint16_t> Ports_In_Use;
    // True from a successful Port_Enable to the next Port_Release.  Every
    // register access of the bus routines is skipped while it is false, so an
    // operation still unwinding after the window released the port at close
    // cannot touch the hardware.
    bool Port_Open = false;
    // Set by the window when it is closing: no port is enabled again (a search
    // running nested under the close ends as not found).
    bool Shutting_Down = false;
    // True from a family configuration until the next Reset_Latches: the
    // latches may hold a programming voltage or an active strobe.  A release
    // in that state (the window closing mid-run) first resets the latches.
    bool Latches_In_Use = false;

    // Bus
    uint16_t Latch_Byte = 0; // only the low 8 bits go out
    uint8_t Read_Value = 0;
    int32_t Nibble_Delay = 0;

    // Timing.  Speed_Count and the pulse unit are 32 bits wide so that a
    // fast machine's count never wraps (a wrapped count gives pulses with no
    // relation to time).
    int32_t Wait_Ms = 0;
    uint32_t Speed_Count = 0;
    uint32_t Pulse_Unit = 0;
    uint16_t Pulse_Width = 0;
    // The end of a pulse that is not slept through: from this long before
    // it, the pulse's passes process messages without sleeping, so a late
    // wake-up does not make the pulse late (bench_timing measures the
    // wake-ups; the figures are in the README).
    static constexpr int64_t Default_Pulse_Tail_Us = 150;
    int64_t Pulse_Tail_Us = Default_Pulse_Tail_Us;
    // The EEPROM data poll: between two reads the thread sleeps
    // EE_Poll_Interval_Us, for the first EE_Poll_Sleeps reads, which span
    // the longest write cycle of the chips (10 ms) twice; a chip still busy
    // after them is read as fast as the reads go, up to the poll's limit, as
    // before.
    static constexpr int64_t EE_Poll_Interval_Us = 200;
    static constexpr int32_t EE_Poll_Sleeps = 100;

    // Voltage
    uint32_t Vpp_Value = 0;
    uint32_t Latch_3_Value = 0;

    // Socket configuration
    uint32_t Fam_Hi = 0;
    uint32_t Fam_Socket = 0;
    uint32_t Fam_Vpp = 0;
    int32_t Cur_Socket = 0;
    uint32_t Cur_Socket_Val = 0;
    uint32_t Cur_Vpp_Val = 0;
    uint16_t Last_Hi = 0;
    uint16_t Hi_Value = 0;

    // Operation state
    int32_t Cur_Add = 0;
    int32_t Quit_Flag = 0;
    int32_t Prog_Ok = 0;

    bool Found() const { return Selection.Found; }
    int32_t Family() const { return Selection.Family; }
    int32_t Gang_Size() const { return Selection.Gang_Size; }
    // The search's verdict, told to the front end.
    void Set_Found(bool found);
    // Every socket of the chosen gang takes part (TGangState::Begin).
    void Clear_Socket_Fails();

    // ---- The gang's state ---------------------------------------------------
    const TGangState& Gang_State() const { return Gang; }
    // Bit k-1 set while socket k is still good in the operation.
    int32_t Gang_Mask() const { return Gang.Mask(); }
    // Socket k (1-5) failed earlier in the operation and is skipped.
    bool Socket_Fail(int32_t socket) const { return !Gang.Taking_Part(socket); }
    // A new gang in the sockets, run through several steps: a socket that
    // fails one step sits out the later ones.
    void New_Run() { Gang.New_Run(); }
    // Socket k's own bytes (its serial number) from address at on, in place
    // of the Buffer's there, for the steps of the run.
    void Set_Own_Bytes(int32_t socket, int32_t at, std::vector<uint8_t> bytes)
    {
        Gang.Set_Own_Bytes(socket, at, std::move(bytes));
    }
    // The byte Cur_Socket is to hold at a device address: its own byte where
    // it has one, else the Buffer's.
    uint8_t Expected_Byte(int32_t address) const { return Buffer_Byte(address); }
    // The run ended before its steps were done: each socket that has not
    // failed reads Stopped (with no address where a stop between steps left
    // none).
    void Stop_Run() { Gang.Stop_Remaining(-1); }

    // The port, seen by port access and the search (Access) and by the bus
    // routines (Registers).
    IPort_Access& Access;
    IPort_Registers& Registers;
    IHost& Host;
    IReport& Report;
    TSelection& Selection;
    TBuffer& Buffer;

private:
    TGangState Gang;
    // After a gang loop: the sockets left when a stop cut the range short
    // read Stopped.
    void End_Gang_Loop();
    // One latch write: Latch_Byte on the data register, then the select code
    // strobed on the control register.
    void Write_Latch(uint8_t select);
    // Latch_Byte <- value, then Write_Latch.
    void Latch(uint8_t select, uint32_t value);
    // The uncalibrated busy loop before each nibble of a read.
    void Nibble_Wait() const;
    // True when the chosen family has configuration tables (1-6 and 8).
    bool Family_Known() const;
    // The byte of a device address for Cur_Socket: the Buffer's (the Buffer
    // index equals the address) unless the socket has its own there.
    uint8_t Buffer_Byte(int32_t address) const;
    // Data poll of the EEPROM families: Read_Bus until it returns expected or
    // 4096 reads have been made, pumping messages after each read.
    void EE_Poll(uint8_t expected);
    // Writes one page of length bytes from Cur_Add and polls for its end.
    void EE_Load_Page(int32_t length);
    // Reads the page back and compares it; Cur_Add ends where it began.
    void EE_Read_Back(int32_t length);
    // One protection command byte: the address latches set for address
    // through the family's mapping, the byte strobed as a page byte.
    void EE_Command_Byte(int32_t address, uint8_t data);
    void Prog_Pulse_Inverted();
    void Prog_Pulse_Shared(TPulse_Strobe strobe);
    // True when the chosen family's write algorithm is this one.
    bool Family_Writes_With(void (TLink::*write)()) const;
};

} // namespace gang
