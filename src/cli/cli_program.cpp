#include "cli/cli_program.h"

#include "cli/cli_host.h"
#include "cli/cli_messages.h"
#include "cli/cli_report.h"
#include "cli/cli_store.h"
#include "cli/device_choice.h"
#include "cli/image_file.h"
#include "cli/image_tools.h"
#include "cli/progress.h"
#include "core/hex_text.h"
#include "core/shared_texts.h"
#include "devices/device_rules.h"
#include "devices/diagnosis.h"
#include "files/file_errors.h"
#include "link/families.h"
#include "platform/console.h"
#include "platform/stop_signals.h"
#include "platform/system_file.h"
#include "session/adapter.h"
#include "session/exit_status.h"
#include "session/gang_run.h"
#include "session/gang_session.h"
#include "session/job.h"
#include "session/lot_summary.h"
#include "session/records_file.h"
#include "session/run_record.h"
#include "session/sim/simulated_adapter.h"
#include "session/socket_wear.h"
#include "session/station_line.h"
#include "session/station_opening.h"
#include "texts/diagnosis_text.h"
#include "texts/result_text.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>

namespace gang::cli {

using session::TRunRecord;
using session::TStep;

namespace {

int Print_Types()
{
    std::cout << "TYPE     SIZE   FAMILY  VPP   ALLOWED\n";
    for (const TDeviceType& type : Device_Rows()) {
        if (!type.Is_Type())
            continue;
        std::string allowed;
        for (int32_t code : Allowed_Vpp_Codes(type))
            allowed += (allowed.empty() ? "" : ",") + Vpp_Text(code);
        char line[96];
        std::snprintf(line, sizeof line, "%-8s %6d  %6d  %-5s %s\n", type.Type_Name, type.Size,
                      type.Family, Vpp_Text(Default_Vpp_Code(type)).c_str(), allowed.c_str());
        std::cout << line;
    }
    return Exit_Passed;
}

// The file's format: named, else from the extension, else (for a file that
// is read) from its content.
std::optional<TFileType> Resolve_Format(const TCliOptions& options, bool reading)
{
    return cli::Resolve_Format(options.Format, options.File, reading);
}

std::vector<TStep> Steps_Of(const TCliOptions& options)
{
    switch (options.Command) {
    case TCommand::Blank:
        return {TStep::Blank};
    case TCommand::Program:
        return session::Program_Steps(options.Blank_First, options.Verify);
    case TCommand::Verify:
        return {TStep::Verify};
    case TCommand::Read:
        return {TStep::Read};
    default:
        return {};
    }
}

TProgressMode Progress_Mode(const TCliOptions& options)
{
    if (options.Quiet)
        return TProgressMode::Quiet;
    return Stderr_Is_Terminal() ? TProgressMode::Terminal : TProgressMode::Lines;
}

// The session with the command line's host and report: the host's timer
// ticks reach the session's link, the report reads the gang's state.
struct TCliSession {
    TCliSession(IPort& port, TBuffer& buffer, TProgress& progress)
        : Report(progress), Host([this] { Session.Timer_Tick(); }),
          Session(port, Host, Report, buffer)
    {
        Report.Failed = [this](int socket) { return Session.Result(socket).Failed(); };
    }
    TCliReport Report;
    TCliHost Host;
    session::TGangSession Session;
};

// The progress line follows the steps of a run.
class TStep_Progress : public session::IRun_Progress {
public:
    explicit TStep_Progress(TProgress& progress) : Progress(progress) {}
    void Step_Begins(TStep step, int32_t end_of_range, int gang) override
    {
        // "diagnose 2": a line per failed socket, each its own.
        std::string name = session::Step_Name(step);
        if (step == TStep::Diagnose && Socket > 0)
            name += " " + std::to_string(Socket);
        Progress.Begin(name, end_of_range, gang);
    }
    void Diagnosing_Socket(int socket) override { Socket = socket; }
    // A step that a stop did not cut went through its whole range.
    void Step_Ends() override { Progress.Finish(!(Stopped && Stopped())); }
    std::function<bool()> Stopped;

private:
    TProgress& Progress;
    int Socket = 0;
};

// One line of the operator's answer from standard input, a terminal or a
// pipe.  The event loop runs meanwhile, so a stop signal ends the wait:
// false then, and at the end of the input.
bool Read_Answer(const session::TGangSession& session, std::string& answer)
{
    constexpr int Poll_Ms = 50;
    answer.clear();
    while (!session.Stopped()) {
        char c = 0;
        const TInput input = Read_Input_Byte(Poll_Ms, c);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (input == TInput::Failed)
            return false;
        if (input == TInput::Nothing_Yet)
            continue;
        if (input == TInput::End)
            return !answer.empty();
        if (c == '\n')
            return true;
        answer.push_back(c);
    }
    return false;
}

class TAdapterRun {
public:
    TAdapterRun(const TCliOptions& options, const session::TPortRequest& port, TBuffer& buffer)
        : Options(options), Port(port), Buffer(buffer), Progress(Progress_Mode(options), stderr),
          Step_Progress(Progress)
    {
    }

    int Run(std::optional<session::TFileRecord> file, std::optional<uint16_t> checksum);
    // The production station of the plan: a run per Enter until q, the end
    // of the input or a stop.
    int Station(session::TStationPlan& plan);

private:
    std::unique_ptr<session::TAdapter> Make_Adapter();
    int Search_And_Work(session::TAdapter& adapter);
    // The sockets' lines of a run in its record; station: in the station's
    // form.
    void Print_Sockets(const TRunRecord& record, bool station) const;
    void Finish_Record(int status);
    // "next serial 1005 from serial.json" when the state file was there
    // (it wins over --serial-start); always true.
    bool Say_Next_Serial(const session::TSerialState& state) const
    {
        if (state.From_File())
            std::cerr << "next serial " << state.Next() << " from " << Options.Serial->State_Path
                      << std::endl;
        return true;
    }
    // Program and verify read each socket that failed them once more.
    bool Diagnoses() const
    {
        return Options.Diagnose &&
               (Options.Command == TCommand::Program || Options.Command == TCommand::Verify);
    }
    // The type has a write protection the program run deals with.
    bool Protectable() const
    {
        const TFamily* family = Family_Row(Options.Type->Family);
        return family != nullptr && family->Unlock != nullptr;
    }

    // The records file and the serial state opened and checked before the
    // adapter is touched; the exit status (the error printed) when one is
    // refused.
    int Open_Files();

    const TCliOptions& Options;
    const session::TPortRequest& Port;
    TBuffer& Buffer;
    TProgress Progress;
    TStep_Progress Step_Progress;
    TRunRecord Record;
    session::TSerialState Serial_State;
};

int TAdapterRun::Open_Files()
{
    std::string error;
    const std::string records = Options.Command != TCommand::Detect ? Options.Report : "";
    const bool serial = Options.Serial && Options.Command == TCommand::Program;
    if (!session::Check_Records_File(records, "", error) ||
        (serial && !Serial_State.Open(*Options.Serial, error))) {
        Print_Error(error);
        return Exit_File_Error;
    }
    // A run whose serials would not fit is refused here, writing nothing.
    if (serial && !Serial_State.Would_Fit(Options.Gang, error)) {
        Print_Error(error);
        return Exit_Usage;
    }
    return Exit_Passed;
}

int TAdapterRun::Run(std::optional<session::TFileRecord> file, std::optional<uint16_t> checksum)
{
    Record.Start = QDateTime::currentDateTimeUtc();
    Record.Command = Options.Command_Name;
    Record.File = std::move(file);
    Record.Checksum = checksum;
    if (Options.Type != nullptr) {
        Record.Type = Options.Type->Type_Name;
        Record.Gang = Options.Gang;
        Record.Voltage = Vpp_Text(Options.Vpp_Code);
    }

    if (const int refused = Open_Files(); refused != Exit_Passed)
        return refused;
    std::unique_ptr<session::TAdapter> adapter = Make_Adapter();
    if (!adapter)
        return Exit_Usage;
    if (Options.Sim)
        Record.Adapter = "sim";
    Finish_Record(Search_And_Work(*adapter));
    return Record.Exit_Status;
}

std::unique_ptr<session::TAdapter> TAdapterRun::Make_Adapter()
{
    std::string error;
    std::unique_ptr<session::TAdapter> adapter;
    if (Options.Sim)
        adapter = session::TSimulatedAdapter::Make(Options.Sim_Options, error);
    else
        adapter = session::TAdapter::Hardware(Port, error);
    if (!adapter) {
        Print_Error(error);
        return nullptr;
    }
    if (Options.Type != nullptr)
        adapter->Fresh_Chips(*Options.Type);
    return adapter;
}

int TAdapterRun::Search_And_Work(session::TAdapter& adapter)
{
    TCliSession cli(adapter.Port(), Buffer, Progress);
    session::TGangSession& session = cli.Session;
    Step_Progress.Stopped = [&session] { return session.Stopped(); };
    QObject signal_owner;
    Install_Stop_Signals(&signal_owner, [&session](int) { session.Stop(); });

    const bool detect = Options.Command == TCommand::Detect;
    const std::vector<TStep> steps = Steps_Of(Options);
    const bool pulses =
        std::find(steps.begin(), steps.end(), TStep::Program) != steps.end() || detect;
    if (!session.Find_Adapter(adapter.Chosen(), pulses)) {
        for (const std::string& text : cli.Report.Log)
            if (detect && !Options.Quiet)
                std::cerr << text << "\n";
        for (uint16_t base : session.Ports_In_Use())
            Print_Error(Port_In_Use_Line(base));
        Print_Error(Not_Found_Text);
        return Exit_No_Adapter;
    }
    if (!Options.Sim)
        Record.Adapter = IntToHex(session.Base(), 4);
    if (detect) {
        if (!Options.Quiet) {
            for (const std::string& text : cli.Report.Log)
                std::cerr << text << "\n";
            std::cout << "The Tarvik Programmer was Found at " << IntToHex(session.Base(), 4)
                      << "\npulse unit " << session.Pulse_Unit() << "\n";
        }
        session.Rest();
        return Exit_Passed;
    }

    const int gang = Options.Command == TCommand::Read ? 1 : Options.Gang;
    Record.Gang = gang;
    cli.Report.Gang = gang;
    session.Choose(*Options.Type, gang, Options.Vpp_Code);
    session.Protection(Options.Sdp);
    if (Protectable() && Options.Command == TCommand::Program)
        Record.Sdp = Sdp_Mode_Name(Options.Sdp);
    // Each socket's serial: reserved in the state file before the program
    // run (a crash leaves a gap, never a serial given twice), counted from
    // the start value for a verify.
    std::optional<session::TRun_Serials> serials;
    session::TSerialState& serial_state = Serial_State;
    if (Options.Serial) {
        serials = session::TRun_Serials{*Options.Serial, {}};
        std::string error;
        if (Options.Command == TCommand::Program) {
            if (!Say_Next_Serial(serial_state) ||
                !serial_state.Reserve(gang, serials->Grant, error)) {
                Print_Error(error);
                session.Rest();
                return Exit_Usage;
            }
        } else {
            serials->Grant = session::Serials_From_Start(*Options.Serial, gang);
        }
        if (!session.Give_Serials(serials->Settings, serials->Grant, error)) {
            Print_Error(error);
            session.Rest();
            return Exit_Usage;
        }
    }
    const bool all_passed =
        session::Run_Steps(session, steps, Buffer.End_Of_Eprom, Diagnoses(), Step_Progress, Record,
                           serials ? &*serials : nullptr);
    std::string settle_error;
    if (serials && Options.Command == TCommand::Program &&
        !session::Settle_Serials(session, serial_state, serials->Grant, settle_error))
        Print_Error(settle_error);
    Print_Sockets(Record, false);
    session.Rest();
    if (session.Stopped()) {
        Print_Error("stopped");
        return Exit_Stopped;
    }
    if (Options.Command == TCommand::Read) {
        const auto format = Resolve_Format(Options, false);
        if (!File_Action([&] { Save_Image(Options.File, *format, Buffer); }))
            return Exit_File_Error;
        Record.File = session::Describe_File(Options.File, Format_Name(*format));
        if (!Options.Quiet)
            std::cout << "CheckSum="
                      << IntToHex(Buffer_Check_Sum(Buffer, 0, Buffer.End_Of_Eprom), 4) << "\n";
    }
    return all_passed ? Exit_Passed : Exit_Socket_Failed;
}

void TAdapterRun::Print_Sockets(const TRunRecord& record, bool station) const
{
    const TFamily* family = Family_Row(Options.Type->Family);
    for (const session::TSocketRecord& socket : record.Sockets) {
        const int s = socket.Socket;
        const bool failed = socket.Failure && socket.Failure->Failed();
        std::string line =
            socket.Failure ? Socket_Result_Detail(s, *socket.Failure) : socket.Result;
        if (station) // "2 FAIL Not Programmed at 0100: expected A5, read AD"
            line = std::to_string(s) + (socket.Passed ? " PASS"
                                        : failed      ? " FAIL " + line.substr(2)
                                                      : " " + line.substr(2));
        // "1 PASS  serial 1000", "3 FAIL ...  serial 1002 (void)": a chip
        // that did not pass never counts with its serial.  A verify gives
        // no serial, it checks one: its failed chip's serial is "not
        // verified", never void.
        if (socket.Serial)
            line += "  serial " + std::to_string(*socket.Serial) +
                    (socket.Passed                         ? ""
                     : Options.Command == TCommand::Verify ? " (not verified)"
                                                           : " (void)");
        // The diagnosis under its socket's line, indented.
        if (socket.Diagnosis)
            for (const std::string& text : Diagnosis_Lines(*socket.Diagnosis))
                line += "\n  " + text;
        if (!Options.Quiet || station)
            std::cout << line << "\n";
        else if (failed)
            std::cerr << line << "\n";
        // A protected chip ignores every write: its very first page fails.
        if (failed && Protectable() && Options.Sdp == TSdp_Mode::Keep &&
            socket.Failure->Kind == TResult_Kind::Not_Programmed &&
            socket.Failure->Address < family->Address_Step)
            std::cerr << "socket " << s
                      << ": no write took: is the chip protected? try --sdp unlock\n";
    }
}

int TAdapterRun::Station(session::TStationPlan& plan)
{
    std::unique_ptr<session::TAdapter> adapter = Make_Adapter();
    if (!adapter)
        return Exit_Usage;
    TCliSession cli(adapter->Port(), Buffer, Progress);
    session::TGangSession& session = cli.Session;
    Step_Progress.Stopped = [&session] { return session.Stopped(); };
    QObject signal_owner;
    Install_Stop_Signals(&signal_owner, [&session](int) { session.Stop(); });
    session::TOpenedStation opened = session::Open_Station(session, cli.Host, *adapter, plan);
    if (!opened.Verdict.Found) {
        for (const std::string& line : session::Verdict_Lines(opened.Verdict))
            Print_Error(line);
        return Exit_No_Adapter;
    }
    if (!opened.Station) {
        Print_Error(opened.Error);
        session.Rest();
        return Exit_File_Error;
    }
    session::TStation& station = *opened.Station;
    if (station.Serials() != nullptr)
        Say_Next_Serial(*station.Serials());
    // The line: the store's pool and lot places, or the lot's quantity.
    session::TStation_Line line(session::Line_Settings_Of(Options));
    std::string line_error;
    if (!line.Open(line_error)) {
        Print_Error(line_error);
        session.Rest();
        return Exit_Usage;
    }
    line.Name_Station(session::Station_Name(Options.Sim, session.Base()));
    line.Serve(station);
    const auto answer_q = [&session] {
        std::string answer;
        return !Read_Answer(session, answer) || answer == "q";
    };
    bool complete = false;
    int prompted = 0; // the chips the operator inserted, for a run tried again
    for (;;) {
        int chips = Options.Gang;
        std::string reason;
        const session::TStation_Line::TLook look = line.Look(Options.Gang, chips, reason);
        if (look == session::TStation_Line::TLook::Refused) {
            Print_Error(reason);
            session.Rest();
            return Exit_Usage;
        }
        if (look == session::TStation_Line::TLook::Complete) {
            std::cout << "lot " << Options.Lot << " complete: " << line.Lot().Passed << " of "
                      << line.Lot().Quantity << " chips passed" << std::endl;
            complete = true;
            break;
        }
        if (look == session::TStation_Line::TLook::Unreachable) {
            session.Rest_Between_Runs();
            std::cerr << session::Unreachable_Text(reason) << " (q to finish)" << std::endl;
            if (answer_q())
                break;
            continue;
        }
        if (look == session::TStation_Line::TLook::Held_Elsewhere) {
            std::cerr << "lot " << Options.Lot << ": no place left for now, " << line.Lot().Held
                      << " chips are in runs on other stations. Press Enter to look again "
                         "(q to finish)"
                      << std::endl;
            if (answer_q())
                break;
            continue;
        }
        if (line.Has_Quantity())
            std::cerr << "lot " << Options.Lot << ": " << line.Lot().Quantity - line.Lot().Passed
                      << " of " << line.Lot().Quantity << " chips left to pass" << std::endl;
        if (prompted != chips) {
            std::cerr << "Lot " << Options.Lot << ", run " << station.Next_Sequence() << ": insert "
                      << chips << " x " << Options.Type->Type_Name
                      << " and press Enter (q to finish)" << std::endl;
            if (answer_q())
                break;
        }
        prompted = 0;
        line.Wanted = chips;
        const TRunRecord* run = station.Run_Next(Buffer.End_Of_Eprom, Step_Progress);
        // The keys typed while the run went are thrown away: an Enter typed
        // early starts no run on the same chips.
        Discard_Typed_Ahead();
        if (run == nullptr && !station.Line_Error.empty()) {
            // Nothing was programmed: with the store away, Enter tries the
            // same chips again.
            if (!line.Unreachable()) {
                std::cerr << station.Line_Error << std::endl;
                continue;
            }
            session.Rest_Between_Runs();
            std::cerr << session::Unreachable_Text(station.Line_Error) << " (q to finish)"
                      << std::endl;
            if (answer_q())
                break;
            prompted = chips;
            continue;
        }
        if (run == nullptr) {
            // The records file cannot take the run's record, or the next
            // serials cannot be had: nothing was programmed.
            Print_Error(station.Run_Error);
            session.Rest();
            return station.Refused_By_Records ? Exit_File_Error : Exit_Usage;
        }
        const TRunRecord& record = *run;
        Print_Sockets(record, true);
        if (!station.Settle_Error.empty())
            Print_Warning("failed chips' serials not given back: " + station.Settle_Error);
        if (!station.Wear_Error.empty())
            Print_Warning("socket wear not counted: " + station.Wear_Error);
        for (const std::string& warning : station.Wear_Warnings)
            Print_Warning(warning);
        std::string waiting;
        line.Record_Made(record, waiting);
        if (!waiting.empty())
            Print_Warning(waiting);
        if (!station.Append_Error.empty()) {
            // Records first: the station goes no further.
            Print_Error(station.Append_Error + ": the chips of this run are NOT recorded");
            session.Rest();
            return Exit_Not_Recorded;
        }
        for (const session::TLotTally& tally : station.Lot().Tallies())
            if (tally.Type == Options.Type->Type_Name)
                std::cout << session::Tally_Line(tally) << std::endl;
        if (session.Stopped())
            break;
    }
    session.Rest();
    for (const session::TLotTally& tally : station.Lot().Tallies())
        std::cout << session::Summary_Text(tally);
    if (session.Stopped() && station.Runs() > 0 && station.Last().Stopped) {
        Print_Error("stopped");
        return Exit_Stopped;
    }
    if (complete)
        return Exit_Passed;
    return station.Every_Chip_Passed() ? Exit_Passed : Exit_Socket_Failed;
}

void TAdapterRun::Finish_Record(int status)
{
    const bool detect = Options.Command == TCommand::Detect;
    std::string error;
    if (!session::Finish_Record(Record, status, detect ? "" : Options.Report, error))
        Print_Error(error + ": the chips of this run are NOT recorded");
}

int Run_Summary(const std::string& path, const std::string& only_lot)
{
    session::TLotSummary summary;
    summary.Only_Lot = only_lot;
    std::vector<int> unreadable;
    std::string error;
    if (!session::Read_Records(path, summary, unreadable, error)) {
        Print_Error(path + ": " + error);
        return Exit_File_Error;
    }
    for (const session::TLotTally& tally : summary.Tallies())
        std::cout << session::Summary_Text(tally);
    // Nothing read is no summary: a wrong lot or a file that holds no run.
    if (summary.Tallies().empty())
        Print_Error(only_lot.empty() ? "no runs in " + path : "no runs of lot " + only_lot);
    if (!unreadable.empty()) {
        std::cout << unreadable.size() << (unreadable.size() == 1 ? " record" : " records")
                  << " not read, line";
        for (int n : unreadable)
            std::cout << " " << n;
        std::cout << "\n";
    }
    return summary.Tallies().empty() ? Exit_Socket_Failed : Exit_Passed;
}

// job new: the image loaded and placed as program would, then the job
// written.
int Run_Job_New(const TCliOptions& options)
{
    if (QFileInfo(QString::fromStdString(options.Output)) ==
        QFileInfo(QString::fromStdString(options.File))) {
        Print_Error("-o " + options.Output + " is the image: the job would replace it");
        return Exit_Usage;
    }
    // A job made once is the line's: replaced only on purpose.
    if (!options.Force && QFileInfo::exists(QString::fromStdString(options.Output))) {
        Print_Error("-o " + options.Output + " exists: give --force to replace it");
        return Exit_Usage;
    }
    TBuffer buffer;
    buffer.End_Of_Eprom = options.Type->End_Of_Eprom();
    const TFileType format = *Resolve_Format(options, true);
    if (const int status = Load_Device_Image(options, format, buffer); status != Exit_Passed)
        return status;
    const std::optional<session::TFileRecord> file =
        session::Describe_File(options.File, Format_Name(format));
    if (!file) {
        Print_Error(options.File + ": cannot be read");
        return Exit_File_Error;
    }
    session::TJob job;
    static_cast<session::TRunSettings&>(job) = options;
    job.Path = options.Output;
    job.Image_Path = session::Job_Path_From(options.Output, options.File);
    job.Image_Format = file->Format;
    job.Image_Size = file->Size;
    job.Image_Sha256 = file->Sha256;
    std::string error;
    if (job.Serial && job.Serial->Pool.empty()) // kept beside the job, as its records are
        job.Serial->State_Path = session::Job_Path_From(options.Output, job.Serial->State_Path);
    if (!options.Report.empty()) // the records too
        job.Report = session::Job_Path_From(options.Output, options.Report);
    if (!Replace_Durably(options.Output, session::Job_Text(job), error)) {
        Print_Error(options.Output + ": " + error);
        return Exit_File_Error;
    }
    if (job.Lot.empty())
        Print_Warning("the job names no lot: the operator window cannot run it (job new --lot L); "
                      "station --job needs --lot L");
    return Exit_Passed;
}

// job show: the job in words, and its image as it is now.
int Run_Job_Show(const std::string& path)
{
    session::TJob job;
    std::string error;
    if (!session::Read_Job(path, job, error)) {
        Print_Error(error);
        return Exit_Usage;
    }
    std::cout << session::Job_Description(job);
    const std::string image = session::Job_Image_Path(job);
    const std::optional<session::TFileRecord> now = session::Describe_File(image, job.Image_Format);
    std::cout << "image now "
              << (!now                              ? image + " is missing or unreadable"
                  : now->Sha256 == job.Image_Sha256 ? image + " unchanged"
                                                    : image +
                                                          " CHANGED since the job was made "
                                                          "(sha256 " +
                                                          now->Sha256 + "): the station refuses it")
              << "\n";
    // The station would refuse it: no success for a job that cannot run.
    return now && now->Sha256 == job.Image_Sha256 ? Exit_Passed : Exit_Socket_Failed;
}

// A production station, from its job or from the options: the plan made
// (nothing is opened on the way to a refusal), then the station run.
int Run_Station(const TCliOptions& given, const session::TPortRequest& port)
{
    session::TStationPlan plan;
    if (!given.Job.empty()) {
        std::string error;
        std::vector<std::string> warnings;
        const session::TJob_Opening opening =
            session::Plan_From_Job(given.Job, given.Lot, "cli", plan, error, warnings);
        if (opening != session::TJob_Opening::Opened) {
            Print_Error(opening == session::TJob_Opening::Needs_Lot ? error + ": give --lot L"
                                                                    : error);
            return Exit_Usage;
        }
        if (!given.Quiet)
            for (const std::string& warning : warnings)
                Print_Warning(warning);
    } else {
        TBuffer image;
        image.End_Of_Eprom = given.Type->End_Of_Eprom();
        const TFileType format = *Resolve_Format(given, true);
        if (const int status = Load_Device_Image(given, format, image); status != Exit_Passed)
            return status;
        std::optional<session::TFileRecord> file =
            session::Describe_File(given.File, Format_Name(format));
        if (file)
            file->Checksums_Ignored = given.Ignore_Checksums;
        plan = session::Plan_From_Settings(given, image, std::move(file), "cli");
    }
    // Its records file and serial state, before the adapter is touched.
    std::string error;
    if (const int refused = session::Check_Plan_Files(plan, error); refused != Exit_Passed) {
        Print_Error(error);
        return refused;
    }
    // The settings as the plan has them (a job's, its paths as opened).
    TCliOptions options = given;
    static_cast<session::TRunSettings&>(options) = plan.Settings;
    TAdapterRun run(options, port, plan.Image);
    return run.Station(plan);
}

// sockets: the wear counts shown, or one socket's (or all) reset and logged.
int Run_Sockets(const TCliOptions& options, const session::TPortRequest& port)
{
    if (!port.Error.empty()) {
        Print_Error(port.Error);
        return Exit_Usage;
    }
    std::vector<std::string> adapters;
    if (options.Sim)
        adapters.push_back("sim");
    else if (port.Chosen)
        adapters.push_back(IntToHex(*port.Chosen, 4));
    std::string error;
    if (options.Reset) {
        if (adapters.empty()) {
            Print_Error("sockets --reset needs the adapter: --sim or --port BASE");
            return Exit_Usage;
        }
        std::string records = options.Report;
        if (!options.Job.empty()) {
            session::TJob job;
            if (!session::Read_Job(options.Job, job, error)) {
                Print_Error(error);
                return Exit_Usage;
            }
            records = session::Job_Records_Path(job);
        }
        if (records.empty()) {
            Print_Error("sockets --reset logs the reset: give --report FILE or --job JOB");
            return Exit_Usage;
        }
        // Held over the read, the log and the write: a station counting on
        // the adapter meanwhile loses no insertion.
        const std::optional<TFile_Lock> lock = session::Lock_Wear(adapters.front(), error);
        session::TSocketWear wear;
        if (!lock || !session::Read_Wear(adapters.front(), wear, error)) {
            Print_Error(error);
            return Exit_File_Error;
        }
        // The log first: a reset that is not in the records is not made.
        std::string lines;
        for (int s = 1; s <= Max_Gang_Size; ++s)
            if (*options.Reset == 0 || *options.Reset == s) {
                lines += session::Reset_Record_Line(
                             wear.Adapter, s, wear.Insertions[static_cast<std::size_t>(s - 1)]) +
                         "\n";
                wear.Insertions[static_cast<std::size_t>(s - 1)] = 0;
            }
        if (!Append_Durably(records, lines, error)) {
            Print_Error(records + ": " + error);
            return Exit_File_Error;
        }
        if (!session::Write_Wear(wear, error)) {
            Print_Error(error);
            return Exit_File_Error;
        }
    }
    if (adapters.empty())
        adapters = session::Worn_Adapters();
    if (adapters.empty() && !options.Quiet)
        std::cout << "no socket wear counted yet (" << session::Wear_Folder() << ")\n";
    for (const std::string& adapter : adapters) {
        session::TSocketWear wear;
        if (!session::Read_Wear(adapter, wear, error)) {
            Print_Error(error);
            return Exit_File_Error;
        }
        if (options.Quiet)
            continue;
        std::cout << "adapter " << adapter << "\n";
        for (std::size_t s = 0; s < wear.Insertions.size(); ++s)
            std::cout << "socket " << s + 1 << ": " << wear.Insertions[s]
                      << (wear.Insertions[s] == 1 ? " insertion\n" : " insertions\n");
    }
    return Exit_Passed;
}

} // namespace

int Run_Cli(const TCliOptions& given, const session::TPortRequest& port)
{
    if (given.Command == TCommand::Job_New)
        return Run_Job_New(given);
    if (given.Command == TCommand::Job_Show)
        return Run_Job_Show(given.File);
    if (given.Command == TCommand::Sockets)
        return Run_Sockets(given, port);
    if (given.Station)
        return Run_Station(given, port);
    const TCliOptions& options = given;
    if (options.Command == TCommand::Types)
        return Print_Types();
    if (options.Command == TCommand::Summary)
        return options.Store.empty() ? Run_Summary(options.File, options.Lot)
                                     : Run_Store_Summary(options.Store, options.Lot);
    if (options.Command == TCommand::Store_Init)
        return Run_Store_Init(options.Store);
    if (options.Command == TCommand::Image_Info || options.Command == TCommand::Image_Split ||
        options.Command == TCommand::Image_Merge || options.Command == TCommand::Image_Swap)
        return Run_Image_Command(options);

    TBuffer buffer;
    if (options.Type != nullptr)
        buffer.End_Of_Eprom = options.Type->End_Of_Eprom();

    const bool reads_file = options.Command == TCommand::Program ||
                            options.Command == TCommand::Verify ||
                            options.Command == TCommand::Checksum;
    std::optional<uint16_t> checksum;
    std::optional<session::TFileRecord> file;
    if (options.Command == TCommand::Read && !Resolve_Format(options, false)) {
        Print_Error("cannot tell the format of " + options.File + ": give --format");
        return Exit_Usage;
    }
    if (reads_file) {
        const TFileType format = *Resolve_Format(options, true);
        if (const int status = Load_Device_Image(options, format, buffer); status != Exit_Passed)
            return status;
        checksum = Buffer_Check_Sum(buffer, 0, buffer.End_Of_Eprom);
        file = session::Describe_File(options.File, Format_Name(format));
        if (file)
            file->Checksums_Ignored = options.Ignore_Checksums;
    }
    if (options.Command == TCommand::Checksum) {
        std::cout << "CheckSum=" << IntToHex(*checksum, 4) << "\n";
        return Exit_Passed;
    }
    TAdapterRun run(options, port, buffer);
    return run.Run(std::move(file), checksum);
}

} // namespace gang::cli
