#include "cli/cli_program.h"

#include "cli/device_choice.h"
#include "cli/exit_status.h"
#include "cli/gang_session.h"
#include "cli/image_file.h"
#include "cli/lot_summary.h"
#include "cli/progress.h"
#include "cli/run_record.h"
#include "core/hex_text.h"
#include "devices/device_rules.h"
#include "devices/diagnosis.h"
#include "files/file_errors.h"
#include "link/families.h"
#include "session/adapter.h"
#include "signals/stop_signals.h"
#include "texts/diagnosis_text.h"
#include "texts/result_text.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <poll.h>
#include <unistd.h>

namespace gang::cli {

namespace {

void Print_Error(const std::string& text)
{
    std::cerr << "gang-adapter-cli: " << text << "\n";
}

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
    if (options.Format)
        return options.Format;
    if (const auto by_extension = Format_From_Extension(options.File))
        return by_extension;
    if (reading)
        return Format_From_Content(File_Head(options.File));
    return std::nullopt;
}

// Runs a file command, turning the window's file errors into its error text.
template <typename TAction> bool File_Action(TAction action)
{
    try {
        action();
        return true;
    } catch (const EInOutError& e) {
        Print_Error(Error_Box_Text(e.Message()));
    } catch (const EConvertError& e) {
        Print_Error(Error_Box_Text(e.Message()));
    }
    return false;
}

std::vector<TStep> Steps_Of(const TCliOptions& options)
{
    switch (options.Command) {
    case TCommand::Blank:
        return {TStep::Blank};
    case TCommand::Program: {
        std::vector<TStep> steps;
        if (options.Blank_First)
            steps.push_back(TStep::Blank);
        steps.push_back(TStep::Program);
        if (!options.No_Verify)
            steps.push_back(TStep::Verify);
        return steps;
    }
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
    return ::isatty(STDERR_FILENO) ? TProgressMode::Terminal : TProgressMode::Lines;
}

// One line of the operator's answer from standard input, a terminal or a
// pipe.  The event loop runs meanwhile, so a stop signal ends the wait:
// false then, and at the end of the input.
bool Read_Answer(TGangSession& session, std::string& answer)
{
    constexpr int Poll_Ms = 50;
    answer.clear();
    while (!session.Stopped()) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&input, 1, Poll_Ms);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return !answer.empty();
        if (c == '\n')
            return true;
        answer.push_back(c);
    }
    return false;
}

class TAdapterRun {
public:
    TAdapterRun(const TCliOptions& options, TBuffer& buffer)
        : Options(options), Buffer(buffer), Progress(Progress_Mode(options), stderr)
    {
    }

    int Run(std::optional<TFileRecord> file, std::optional<uint16_t> checksum);

private:
    int Search_And_Work(session::TAdapter& adapter);
    // The steps once over the gang, into Record; true when every socket
    // passed.  station: the sockets' lines in the station's form.
    bool Work_Once(TGangSession& session, const std::vector<TStep>& steps, int gang, bool station);
    // After the steps: each socket that failed program or verify read once
    // more over the range (the "diagnose" step) and diagnosed; index 1..gang.
    // Nothing with --no-diagnose or when the run is stopped.
    std::vector<std::optional<TDiagnosis>> Diagnose(TGangSession& session, int gang);
    // The production station: Work_Once per Enter until q, the end of the
    // input or a stop.
    int Station(TGangSession& session, session::TAdapter& adapter, const std::vector<TStep>& steps);
    void Finish_Record(int status);
    // The type has a write protection the program run deals with.
    bool Protectable() const
    {
        const TFamily* family = Family_Row(Options.Type->Family);
        return family != nullptr && family->Unlock != nullptr;
    }

    const TCliOptions& Options;
    TBuffer& Buffer;
    TProgress Progress;
    TRunRecord Record;
};

int TAdapterRun::Run(std::optional<TFileRecord> file, std::optional<uint16_t> checksum)
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

    std::string error;
    const std::unique_ptr<session::TAdapter> adapter =
        Options.Sim ? session::TAdapter::Simulated(Options.Sim_Options, error)
                    : session::TAdapter::Hardware(Options.Port, error);
    if (!adapter) {
        Print_Error(error);
        return Exit_Usage;
    }
    if (Options.Sim)
        Record.Adapter = "sim";
    if (Options.Type != nullptr)
        adapter->Fresh_Chips(*Options.Type);
    const int status = Search_And_Work(*adapter);
    if (Options.Station)
        return status; // each run has appended its own record
    Finish_Record(status);
    return Record.Exit_Status;
}

int TAdapterRun::Search_And_Work(session::TAdapter& adapter)
{
    TGangSession session(adapter.Port(), Buffer, Progress);
    QObject signal_owner;
    Install_Stop_Signals(&signal_owner, [&session](int) { session.Stop(); });

    const bool detect = Options.Command == TCommand::Detect;
    const std::vector<TStep> steps = Steps_Of(Options);
    const bool pulses =
        std::find(steps.begin(), steps.end(), TStep::Program) != steps.end() || detect;
    if (!session.Find_Adapter(adapter.Chosen(), pulses)) {
        for (const std::string& text : session.Report.Log)
            if (detect && !Options.Quiet)
                std::cerr << text << "\n";
        for (uint16_t base : session.Ports_In_Use())
            Print_Error(Port_In_Use_Line(base));
        Print_Error("The Tarvik Programmer was Not Found.");
        return Exit_No_Adapter;
    }
    if (!Options.Sim)
        Record.Adapter = IntToHex(session.Base(), 4);
    if (detect) {
        if (!Options.Quiet) {
            for (const std::string& text : session.Report.Log)
                std::cerr << text << "\n";
            std::cout << "The Tarvik Programmer was Found at " << IntToHex(session.Base(), 4)
                      << "\npulse unit " << session.Pulse_Unit() << "\n";
        }
        session.Rest();
        return Exit_Passed;
    }

    const int gang = Options.Command == TCommand::Read ? 1 : Options.Gang;
    Record.Gang = gang;
    session.Choose(*Options.Type, gang, Options.Vpp_Code);
    session.Protection(Options.Sdp);
    if (Protectable() && Options.Command == TCommand::Program)
        Record.Sdp = Sdp_Mode_Name(Options.Sdp);
    if (Options.Station)
        return Station(session, adapter, steps);
    const bool all_passed = Work_Once(session, steps, gang, false);
    session.Rest();
    if (session.Stopped()) {
        Print_Error("stopped");
        return Exit_Stopped;
    }
    if (Options.Command == TCommand::Read && !session.Stopped()) {
        const auto format = Resolve_Format(Options, false);
        if (!File_Action([&] { Save_Image(Options.File, *format, Buffer); }))
            return Exit_File_Error;
        Record.File = Describe_File(Options.File, Format_Name(*format));
        if (!Options.Quiet)
            std::cout << "CheckSum="
                      << IntToHex(Buffer_Check_Sum(Buffer, 0, Buffer.End_Of_Eprom), 4) << "\n";
    }
    return all_passed ? Exit_Passed : Exit_Socket_Failed;
}

bool TAdapterRun::Work_Once(TGangSession& session, const std::vector<TStep>& steps, int gang,
                            bool station)
{
    for (TStep step : steps) {
        if (session.Stopped())
            break;
        Progress.Begin(Step_Name(step), Buffer.End_Of_Eprom, gang);
        const auto started = std::chrono::steady_clock::now();
        session.Run(step);
        Progress.Finish();
        Record.Steps.push_back(
            {Step_Name(step),
             std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()});
    }
    const std::vector<std::optional<TDiagnosis>> diagnoses = Diagnose(session, gang);
    const TFamily* family = Family_Row(Options.Type->Family);
    bool all_passed = true;
    for (int s = 1; s <= gang; ++s) {
        const TSocketState& state = session.Report.Sockets[s];
        TSocketRecord socket{s, !state.Failed() && !session.Stopped(), state.Text, std::nullopt,
                             diagnoses[static_cast<std::size_t>(s)]};
        if (state.Failed())
            socket.Failure = state.Result;
        all_passed = all_passed && !state.Failed();
        Record.Sockets.push_back(socket);
        std::string line = state.Failed() ? Socket_Result_Detail(s, state.Result) : state.Text;
        if (station) // "2 FAIL Not Programmed at 0100: expected A5, read AD"
            line = std::to_string(s) + (state.Failed() ? " FAIL " + line.substr(2) : " PASS");
        // The diagnosis under its socket's line, indented.
        if (socket.Diagnosis)
            for (const std::string& text : Diagnosis_Lines(*socket.Diagnosis))
                line += "\n  " + text;
        if (!Options.Quiet || station)
            std::cout << line << "\n";
        else if (state.Failed())
            std::cerr << line << "\n";
        // A protected chip ignores every write: its very first page fails.
        if (Protectable() && Options.Sdp == TSdp_Mode::Keep &&
            state.Result.Kind == TResult_Kind::Not_Programmed &&
            state.Result.Address < family->Address_Step)
            std::cerr << "socket " << s
                      << ": no write took: is the chip protected? try --sdp unlock\n";
    }
    Record.Stopped = session.Stopped();
    return all_passed;
}

std::vector<std::optional<TDiagnosis>> TAdapterRun::Diagnose(TGangSession& session, int gang)
{
    std::vector<std::optional<TDiagnosis>> found(static_cast<std::size_t>(gang) + 1);
    if (Options.No_Diagnose || session.Stopped())
        return found;
    // A socket that failed its blank check, or was left out, is not read.
    std::vector<int> failed;
    for (int s = 1; s <= gang; ++s) {
        const TResult_Kind kind = session.Report.Sockets[s].Result.Kind;
        if (kind == TResult_Kind::Not_Programmed || kind == TResult_Kind::Not_Verified)
            failed.push_back(s);
    }
    if (failed.empty())
        return found;
    const auto started = std::chrono::steady_clock::now();
    const auto first = Buffer.Data.begin() + Buffer.Start_Of_Eprom;
    const std::vector<uint8_t> image(first, Buffer.Data.begin() + Buffer.End_Of_Eprom + 1);
    for (int s : failed) {
        Progress.Begin("diagnose", Buffer.End_Of_Eprom, gang);
        std::vector<uint8_t> bytes;
        const bool whole = session.Read_Socket_Range(s, bytes);
        Progress.Finish();
        if (!whole)
            break;
        found[static_cast<std::size_t>(s)] = Diagnose_Socket(image, bytes, Buffer.Start_Of_Eprom);
    }
    Record.Steps.push_back(
        {"diagnose",
         std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()});
    if (session.Stopped())
        return std::vector<std::optional<TDiagnosis>>(found.size());
    return found;
}

int TAdapterRun::Station(TGangSession& session, session::TAdapter& adapter,
                         const std::vector<TStep>& steps)
{
    const TRunRecord lot_record = Record;
    TLotSummary lot;
    bool every_chip_passed = true;
    for (int sequence = 1;; ++sequence) {
        std::cerr << "Lot " << Options.Lot << ", run " << sequence << ": insert " << Options.Gang
                  << " x " << Options.Type->Type_Name << " and press Enter (q to finish)"
                  << std::endl;
        std::string answer;
        if (!Read_Answer(session, answer) || answer == "q")
            break;
        adapter.Refill(*Options.Type);
        session.New_Run();
        Record = lot_record;
        Record.Lot = Options.Lot;
        Record.Sequence = sequence;
        Record.Start = QDateTime::currentDateTimeUtc();
        const bool passed = Work_Once(session, steps, Options.Gang, true);
        every_chip_passed = every_chip_passed && passed;
        const int status =
            session.Stopped() ? Exit_Stopped : (passed ? Exit_Passed : Exit_Socket_Failed);
        Finish_Record(status);
        lot.Add(QJsonDocument::fromJson(QByteArray::fromStdString(Record_Line(Record))).object());
        std::cout << Tally_Line(lot.Tallies().back()) << std::endl;
        if (session.Stopped())
            break;
    }
    session.Rest();
    for (const TLotTally& tally : lot.Tallies())
        std::cout << Summary_Text(tally);
    if (session.Stopped() && Record.Stopped) {
        Print_Error("stopped");
        return Exit_Stopped;
    }
    return every_chip_passed ? Exit_Passed : Exit_Socket_Failed;
}

void TAdapterRun::Finish_Record(int status)
{
    Record.Exit_Status = status;
    Record.End = QDateTime::currentDateTimeUtc();
    if (Options.Report.empty() || Options.Command == TCommand::Detect)
        return;
    std::string error;
    if (!Append_Record(Options.Report, Record, error)) {
        Print_Error(Options.Report + ": " + error);
        if (status == Exit_Passed)
            Record.Exit_Status = Exit_File_Error;
    }
}

} // namespace

int Run_Cli(const TCliOptions& options)
{
    if (options.Command == TCommand::Types)
        return Print_Types();
    if (options.Command == TCommand::Summary)
        return Run_Summary(options.File, options.Lot);

    TBuffer buffer;
    if (options.Type != nullptr)
        buffer.End_Of_Eprom = options.Type->End_Of_Eprom();

    const bool reads_file = options.Command == TCommand::Program ||
                            options.Command == TCommand::Verify ||
                            options.Command == TCommand::Checksum;
    std::optional<TFileRecord> file;
    std::optional<uint16_t> checksum;
    if (options.Command == TCommand::Read && !Resolve_Format(options, false)) {
        Print_Error("cannot tell the format of " + options.File + ": give --format");
        return Exit_Usage;
    }
    if (reads_file) {
        const TFileType format = *Resolve_Format(options, true);
        if (!File_Action([&] { Load_Image(options.File, format, buffer); }))
            return Exit_File_Error;
        checksum = Buffer_Check_Sum(buffer, 0, buffer.End_Of_Eprom);
        file = Describe_File(options.File, Format_Name(format));
    }
    if (options.Command == TCommand::Checksum) {
        std::cout << "CheckSum=" << IntToHex(*checksum, 4) << "\n";
        return Exit_Passed;
    }
    TAdapterRun run(options, buffer);
    return run.Run(std::move(file), checksum);
}

} // namespace gang::cli
