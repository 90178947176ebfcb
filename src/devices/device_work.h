// Device work: the user's choice of device type, voltage and gang size, the
// busy state with its progress counter and stop button, the four gang
// operations and the checksum.  One instance per program (owned by the front
// end, beside its link), reading the user's choices from TSelection, telling
// the user through IReport, working on the Buffer, and on the adapter only
// through TLink.  Implemented one concern per file:
//
//   busy_state.cpp       Start_Func, End_Func, Quit_Func_ButClick
//   selection.cpp        DeviceClick, Device_BoxClick, Apply_Device,
//                        Set_No_Device, Vpp_ButClick, Num_Of_DevicesClick,
//                        Show_Range, Select
//   checksum.cpp         Make_Check_Sum, Chk_Sum_ButClick
//   gang_operations.cpp  Blank_Check, Program, Verify, Move and their
//                        handlers Blank_ChkClick, Program_EpromClick,
//                        Verify_EpromClick, Move_EpromClick
//   socket_dump.cpp      Read_Socket_Range
//
// The diagnosis of the bytes read is pure data work in diagnosis.h.
//
// The catalogue itself is plain data in catalogue.h.
#pragma once

#include "core/buffer.h"
#include "core/shared_texts.h"
#include "devices/catalogue.h"
#include "link/host.h"
#include "link/link.h"
#include "link/report.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gang {

enum class TOperation { Blank_Check, Program, Verify, Move };

// The text a socket shows once it passed the operation, blanks included:
// "1-Programmed OK ", "2- Verified OK   "; "" after a move (no socket
// text).
std::string Passed_Socket_Text(TOperation operation, int socket);

class TDeviceWork {
public:
    // The work shares the link's front end: its selection, Buffer, host and
    // report.
    explicit TDeviceWork(TLink& link)
        : Selection(link.Selection), Buffer(link.Buffer), Link(link), Host(link.Host),
          Report(link.Report)
    {
    }
    TDeviceWork(const TDeviceWork&) = delete;
    TDeviceWork& operator=(const TDeviceWork&) = delete;

    // ---- Busy state, counter and stop ---------------------------------------
    void Start_Func();
    void End_Func();
    void Quit_Func_ButClick();

    // ---- Selection -----------------------------------------------------------
    void DeviceClick();
    void Device_BoxClick(int item_index); // -1: no row selected
    void Apply_Device(int row_index);     // -1: no row selected
    void Set_No_Device();
    void Vpp_ButClick();
    void Num_Of_DevicesClick(int item_index); // -1: no row selected
    void Show_Range();
    // The type and the gang size chosen at once, with the type's own
    // voltage, for a front end without the lists: the adapter sees what the
    // window's choice sends it, the window's captions are left alone.
    void Select(const TDeviceType& type, int32_t gang_size);
    // True while the Device button reads "No Device".
    bool No_Device_Shown() const { return Device_Caption == No_Device_Caption; }

    // ---- Checksum ------------------------------------------------------------
    void Make_Check_Sum();
    void Chk_Sum_ButClick();
    uint16_t Check_Sum = 0;

    // ---- Gang operations -----------------------------------------------------
    // The operations for every front end: the type, gang and voltage as
    // selected, the results in the gang's state (a socket that failed an
    // earlier operation of the run sits out).  No busy state, no captions.
    const TGangState& Blank_Check();
    const TGangState& Program();
    const TGangState& Verify();
    // Socket 1 into the Buffer.
    void Move();
    // The window's handlers: the same operations inside the busy state, with
    // the operation's line, the stop button and the sockets' texts.
    void Blank_ChkClick();
    void Program_EpromClick();
    void Verify_EpromClick();
    void Move_EpromClick();
    // One socket (1..5) read over the whole range, Start_Of_Eprom first,
    // into bytes, as an operation of its own (the adapter at rest at its
    // end).  False when a stop request ended it (bytes then
    // hold what was read), or no type is chosen.
    bool Read_Socket_Range(int32_t socket, std::vector<uint8_t>& bytes);

    // ---- Shared texts and helpers ----------------------------------------------
    static constexpr const char* No_Device_Text = "No Device Was Selected.";
    // Quit_Flag value of a stop request (stop button or window close).
    static constexpr int32_t Stop_Request = TLink::Stop_Request;
    // One type row's setter: caption, End_Of_Eprom, family and, where the row
    // has one, the voltage code.
    void Apply_Type(const TDeviceType& type);

    // Called after a type row has been applied (the simulated program uses it
    // to put fresh blank chips of that type into its sockets).
    std::function<void(const TDeviceType&)> OnTypeApplied;

    TSelection& Selection;
    TBuffer& Buffer;
    TLink& Link;
    IHost& Host;
    IReport& Report;

private:
    // The operation's start and end on the adapter (latches reset, the
    // counter, every socket of the gang in the run); with window_busy, the
    // window's busy state too (Start_Func, End_Func).
    void Begin_Operation(bool window_busy = false);
    void End_Operation(bool window_busy = false);
    void Blank_Check_Gang();
    void Verify_Gang();
    void Program_Gang();
    void Move_Socket_1();
    // The Device button's caption as last shown.
    std::string Device_Caption = No_Device_Caption;
    void Show_Device(const std::string& caption);
    void Show_Socket_Texts(const char* text_after_digit);
    void Show_Socket_Results(TOperation operation);
    // True (after telling the user) when no device type has been chosen.
    bool Refuse_Without_Device();
    // The blank-check and verify loop: a socket fails with that kind when
    // the byte read differs from expected(Buffer byte).
    void Read_Gang(uint8_t (*expected)(uint8_t buffer_byte), TResult_Kind failure);
};

} // namespace gang
