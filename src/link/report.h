// What the link and the device work tell the user, and the user's choices
// they read.  Neither knows a window: the window implements IReport by
// writing its controls, a headless front end by printing or recording.
// Message boxes stay on IHost, beside the message pump they wait in.
#pragma once

#include <cstdint>
#include <string>

namespace gang {

// What a program run does about the software data protection of the
// EEPROMs that have it (28C64, 28C256): Unlock sends the disable sequence to
// each socket before the first page, Keep sends nothing, Lock unlocks,
// programs and then locks each socket again.
enum class TSdp_Mode { Unlock, Keep, Lock };

// The user's choices and the search's verdict, owned by the front end.  The
// link and the device work read them; the search writes Found, the
// selection handlers the rest.
struct TSelection {
    bool Found = false;                // the last search found the adapter (at TLink::DataPort)
    int32_t Family = 0;                // device family: 1..6, 8; 0 none chosen
    int32_t Vpp_Code = 1;              // 1 = 25 V, 2 = 21 V, 3 = 12.5 V, 4 = 12 V, 5 = 5 V
    int32_t Gang_Size = 0;             // sockets 1 up to it take part (1..5)
    TSdp_Mode Sdp = TSdp_Mode::Unlock; // protection handling of a program run
};

// What became of one socket in an operation.
enum class TResult_Kind {
    Passed,         // blank, programmed or verified
    Not_Blank,      // a byte read back is not FF
    Not_Programmed, // a byte did not take after the algorithm's last try
    Not_Verified,   // a byte differs from the Buffer
    Stopped,        // the work ended before the socket's step was done
};

// A socket's result: its kind and, when it failed, where and how: the
// device address, the Buffer's (or the erased) byte expected there and the
// byte read.  For a page, the first byte of it that differed.  A stopped
// socket has the first address not worked on.
struct TSocket_Result {
    TResult_Kind Kind = TResult_Kind::Passed;
    int32_t Address = -1;
    uint8_t Expected = 0;
    uint8_t Actual = 0;

    bool Passed() const { return Kind == TResult_Kind::Passed; }
    // A stopped socket neither passed nor failed.
    bool Failed() const { return !Passed() && Kind != TResult_Kind::Stopped; }
};

class IReport {
public:
    virtual ~IReport() = default;

    // ---- Every front end -----------------------------------------------------
    // The address being worked on: at the start and end of a run and
    // whenever the run enters a new block of 256 addresses.
    virtual void Counter(int32_t address) = 0;
    // A socket's text at the start of an operation ("2-Programmed OK ").
    virtual void Socket_Text(int socket, const std::string& text) = 0;
    // A socket dropped out of the run, and why.
    virtual void Socket_Failed(int socket, const TSocket_Result& result) = 0;
    // A stop ended the operation before it was done for the socket (the
    // result names the first address not done).
    virtual void Socket_Stopped(int /*socket*/, const TSocket_Result& /*result*/) {}
    // The line naming the running operation ("Verifying Device to Buffer....").
    virtual void Operation(const std::string& line) = 0;
    // A line of the programmer search's log.
    virtual void Log_Line(const std::string& line) = 0;

    // ---- The window's own state; a headless front end may ignore these ------
    virtual void Log_Visible(bool /*visible*/) {}
    // Busy state: every command button off but the stop button.
    virtual void Busy_Begin() {}
    // Busy state over: the buttons back on (the device buttons only with the
    // adapter found), the pop-up lists and the operation line hidden.
    virtual void Busy_End(bool /*adapter_found*/) {}
    // The stop button is live for the run in hand.
    virtual void Stop_Offered() {}
    // The whole window off during an EEPROM page write, on after it.
    virtual void Window_Enabled(bool /*enabled*/) {}
    // The status line ("The Tarvik Programmer was Found at 0378").
    virtual void Status(const std::string& /*text*/) {}
    virtual void Vpp_Caption(const std::string& /*caption*/) {}
    virtual void Check_Sum(uint16_t /*sum*/) {}
    // The device type button's caption ("No Device", "27C256", "3 - 27C256").
    virtual void Device_Caption(const std::string& /*caption*/) {}
    // The list of device types offered, and closed on a row (-1: none).
    virtual void Device_List_Shown() {}
    virtual void Device_Row_Chosen(int /*row*/) {}
    virtual void Gang_List_Visible(bool /*visible*/) {}
    virtual void Socket_Visible(int /*socket*/, bool /*visible*/) {}
    // The address range of the chosen type.
    virtual void Range(int32_t /*start_of_buffer*/, int32_t /*start_of_eprom*/,
                       int32_t /*end_of_eprom*/)
    {
    }
    // The selection changed (the window keeps it in its controls' Tags too).
    virtual void Selection_Changed(const TSelection& /*selection*/) {}
};

} // namespace gang
