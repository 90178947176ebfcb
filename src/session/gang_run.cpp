#include "session/gang_run.h"

#include "devices/device_rules.h"

#include "devices/diagnosis.h"
#include "session/exit_status.h"
#include "texts/result_text.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

namespace gang::session {

namespace {

double Seconds_Since(std::chrono::steady_clock::time_point started)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

bool Needs_Diagnosis(const TSocket_Result& result)
{
    return result.Kind == TResult_Kind::Not_Programmed || result.Kind == TResult_Kind::Not_Verified;
}

// Each socket (1..gang) that failed program or verify read and diagnosed;
// nothing for the others, and nothing at all when a stop cut the reads.
std::vector<std::optional<TDiagnosis>> Diagnose_Failed(TGangSession& session, int32_t end_of_range,
                                                       IRun_Progress& progress, TRunRecord& record)
{
    const int gang = session.Gang();
    std::vector<std::optional<TDiagnosis>> found(static_cast<std::size_t>(gang) + 1);
    std::vector<int> failed;
    for (int s = 1; s <= gang; ++s)
        if (Needs_Diagnosis(session.Result(s)))
            failed.push_back(s);
    if (failed.empty() || session.Stopped())
        return found;
    const auto started = std::chrono::steady_clock::now();
    const TBuffer& buffer = session.Image();
    for (int s : failed) {
        // The socket's own image: its serial in place.
        const std::vector<uint8_t> image = session.Socket_Image(s, end_of_range);
        progress.Diagnosing_Socket(s);
        progress.Step_Begins(TStep::Diagnose, end_of_range, gang);
        std::vector<uint8_t> bytes;
        const bool whole = session.Read_Socket_Range(s, bytes);
        progress.Step_Ends();
        if (!whole)
            break;
        found[static_cast<std::size_t>(s)] = Diagnose_Socket(image, bytes, buffer.Start_Of_Eprom);
    }
    record.Steps.push_back({Step_Name(TStep::Diagnose), Seconds_Since(started)});
    if (session.Stopped())
        return std::vector<std::optional<TDiagnosis>>(found.size());
    return found;
}

} // namespace

std::string Passed_Text(const std::vector<TStep>& steps, int socket)
{
    std::string text;
    for (TStep step : steps)
        switch (step) {
        case TStep::Blank:
            text = Passed_Socket_Text(TOperation::Blank_Check, socket);
            break;
        case TStep::Program:
            text = Passed_Socket_Text(TOperation::Program, socket);
            break;
        case TStep::Verify:
            text = Passed_Socket_Text(TOperation::Verify, socket);
            break;
        case TStep::Read:
        case TStep::Diagnose:
            break; // no socket text of their own
        }
    const auto last = text.find_last_not_of(' ');
    return last == std::string::npos ? "" : text.substr(0, last + 1);
}

bool Settle_Serials(const TGangSession& session, TSerialState& state, const TSerialGrant& grant,
                    std::string& error)
{
    std::vector<bool> failed(grant.By_Socket.size(), false);
    for (std::size_t s = 1; s < failed.size(); ++s)
        failed[s] = session.Result(static_cast<int>(s)).Failed();
    return state.Settle(grant, failed, error);
}

TSerialGrant Serials_From_Start(const TSerialSettings& settings, int gang)
{
    TSerialGrant grant;
    grant.By_Socket.assign(static_cast<std::size_t>(gang) + 1, std::nullopt);
    for (int s = 1; s <= gang; ++s)
        grant.By_Socket[static_cast<std::size_t>(s)] =
            settings.Start + static_cast<uint64_t>(s - 1) * settings.Step;
    return grant;
}

bool Run_Steps(TGangSession& session, const std::vector<TStep>& steps, int32_t end_of_range,
               bool diagnose, IRun_Progress& progress, TRunRecord& record,
               const TRun_Serials* serials)
{
    const int gang = session.Gang();
    for (TStep step : steps) {
        if (session.Stopped())
            break;
        progress.Step_Begins(step, end_of_range, gang);
        const auto started = std::chrono::steady_clock::now();
        session.Run(step);
        progress.Step_Ends();
        record.Steps.push_back({Step_Name(step), Seconds_Since(started)});
    }
    std::vector<std::optional<TDiagnosis>> diagnoses(static_cast<std::size_t>(gang) + 1);
    if (diagnose)
        diagnoses = Diagnose_Failed(session, end_of_range, progress, record);
    session.End_Run();
    bool all_passed = true;
    for (int s = 1; s <= gang; ++s) {
        const TSocket_Result& result = session.Result(s);
        TSocketRecord socket{s,
                             result.Passed(),
                             "",
                             std::nullopt,
                             diagnoses[static_cast<std::size_t>(s)],
                             std::nullopt,
                             std::nullopt};
        if (result.Passed()) {
            socket.Result = Passed_Text(steps, s);
        } else {
            socket.Result = Socket_Result_Text(s, result);
            socket.Failure = result;
        }
        all_passed = all_passed && result.Passed();
        if (serials != nullptr && static_cast<std::size_t>(s) < serials->Grant.By_Socket.size()) {
            socket.Serial = serials->Grant.By_Socket[static_cast<std::size_t>(s)];
            const std::vector<uint8_t> own = session.Socket_Image(s, end_of_range);
            socket.Checksum = Sum16(own.data(), own.size());
        }
        record.Sockets.push_back(socket);
    }
    if (serials != nullptr) {
        TSerialRecord serial{
            serials->Settings.At,
            serials->Settings.Size,
            Serial_Format_Name(serials->Settings.Format),
            0,
            0,
            serials->Settings.Pool,
            serials->Settings.Pool.empty() ? "" : Serial_Failed_Name(serials->Settings.Failed)};
        bool first = true;
        for (const auto& given : serials->Grant.By_Socket) {
            if (!given)
                continue;
            serial.First = first ? *given : std::min(serial.First, *given);
            serial.Last = first ? *given : std::max(serial.Last, *given);
            first = false;
        }
        record.Serial = serial;
    }
    record.Stopped = session.Stopped();
    return all_passed;
}

int Run_Status(bool stopped, bool passed)
{
    if (stopped)
        return Exit_Stopped;
    return passed ? Exit_Passed : Exit_Socket_Failed;
}

bool Finish_Record(TRunRecord& record, int status, const std::string& report_path,
                   std::string& error)
{
    record.Exit_Status = status;
    record.End = QDateTime::currentDateTimeUtc();
    if (report_path.empty())
        return true;
    TRecords_File records(report_path, record.Lot);
    if (records.Append(record, error))
        return true;
    record.Exit_Status = Exit_Not_Recorded;
    return false;
}

bool Check_Records_File(const std::string& records_path, const std::string& lot, std::string& error)
{
    TRecords_File records(records_path, lot);
    if (records.Open(error))
        return true;
    error += ": no chip is programmed that could not be recorded";
    return false;
}

TStation::TStation(TGangSession& session, TAdapter& adapter, const TDeviceType& type,
                   std::vector<TStep> steps, bool diagnose, TRunRecord template_record,
                   std::string report_path)
    : Session(session), Adapter(adapter), Type(type), Steps(std::move(steps)), Diagnose(diagnose),
      Template(std::move(template_record)), Records(std::move(report_path), Template.Lot)
{
}

bool TStation::Open_Records(std::string& error)
{
    return Records.Open(error);
}

bool TStation::Use_Serials(const TSerialSettings& settings, std::string& error)
{
    if (settings.Pool.empty() && !Serial_State.Open(settings, error))
        return false;
    Serial_Settings = settings;
    return true;
}

const TRunRecord* TStation::Run_Next(int32_t end_of_range, IRun_Progress& progress)
{
    Run_Error.clear();
    Append_Error.clear();
    Settle_Error.clear();
    // Records first: no chip is programmed that could not be recorded.
    Refused_By_Records = !Records.Check(Run_Error);
    if (Refused_By_Records)
        return nullptr;
    Line_Error.clear();
    // A granted run that is not made gives its places on the line back.
    const auto unmade = [this]() -> const TRunRecord* {
        if (Line_Unmade)
            Line_Unmade();
        return nullptr;
    };
    TLine_Grant grant;
    grant.Chips = Template.Gang > 0 ? Template.Gang : Session.Gang();
    if (Line) {
        if (!Line(grant, Line_Error))
            return nullptr;
        if (grant.Chips < 1 || grant.Chips > Max_Gang_Size) {
            Line_Error = "the line grants no chip to this run";
            return unmade();
        }
        if (grant.Chips != Session.Gang())
            Session.Choose(Type, grant.Chips, Session.Vpp_Code());
    }
    Adapter.Refill(Type);
    Session.New_Run();
    // The chips are in: counted before the run, so that a run stopped or a
    // program that dies in it still counts them.
    Wear_Warnings.clear();
    Wear_Error.clear();
    if (Counting_Wear && !Template.Adapter.empty() &&
        Count_Insertions(Template.Adapter, Session.Gang(), Wear_Counts, Wear_Error))
        Wear_Warnings = session::Wear_Warnings(Wear_Counts, Session.Gang(), Socket_Limit);
    std::optional<TRun_Serials> serials;
    if (Serial_Settings) {
        // On the disk before the first chip sees one of them.
        serials = TRun_Serials{*Serial_Settings, {}};
        if (!Serial_Settings->Pool.empty()) {
            // From the line's pool, reserved in its store before this run.
            if (static_cast<int>(grant.Serials.size()) < Session.Gang()) {
                Run_Error = "the line's pool " + Serial_Settings->Pool + " gave " +
                            std::to_string(grant.Serials.size()) + " serials for " +
                            std::to_string(Session.Gang()) + " chips";
                return unmade();
            }
            serials->Grant.By_Socket.assign(static_cast<std::size_t>(Session.Gang()) + 1,
                                            std::nullopt);
            for (int s = 1; s <= Session.Gang(); ++s)
                serials->Grant.By_Socket[static_cast<std::size_t>(s)] =
                    grant.Serials[static_cast<std::size_t>(s - 1)];
        } else if (!Serial_State.Reserve(Session.Gang(), serials->Grant, Run_Error)) {
            return unmade();
        }
        if (!Session.Give_Serials(serials->Settings, serials->Grant, Run_Error))
            return unmade();
    }
    ++Made;
    Record = Template;
    Record.Sequence = Next_Sequence(); // the record's own is given as it is appended
    Record.Gang = Session.Gang();
    Record.Run_Id = grant.Run_Id;
    Record.Station = grant.Station;
    Record.Start = QDateTime::currentDateTimeUtc();
    Passed = Run_Steps(Session, Steps, end_of_range, Diagnose, progress, Record,
                       serials ? &*serials : nullptr);
    // A pool's serials are settled by the store as it takes the record.
    if (serials && Serial_Settings->Pool.empty())
        Settle_Serials(Session, Serial_State, serials->Grant, Settle_Error);
    All_Passed = All_Passed && Passed;
    std::string no_file;
    Finish_Record(Record, Run_Status(Session.Stopped(), Passed), "", no_file);
    if (!Records.Append(Record, Append_Error))
        Record.Exit_Status = Exit_Not_Recorded;
    return &Record;
}

void TStation::Count_Wear(int socket_limit)
{
    Counting_Wear = true;
    Socket_Limit = socket_limit;
}

} // namespace gang::session
