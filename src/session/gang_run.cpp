#include "session/gang_run.h"

#include "session/exit_status.h"
#include "texts/result_text.h"

#include <QJsonDocument>

#include <chrono>
#include <utility>

namespace gang::session {

bool Run_Steps(TGangSession& session, const std::vector<TStep>& steps, int32_t end_of_range,
               IRun_Progress& progress, const TPassed_Text& passed_text, TRunRecord& record)
{
    const int gang = session.Gang();
    for (TStep step : steps) {
        if (session.Stopped())
            break;
        progress.Step_Begins(step, end_of_range, gang);
        const auto started = std::chrono::steady_clock::now();
        session.Run(step);
        progress.Step_Ends();
        record.Steps.push_back(
            {Step_Name(step),
             std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()});
    }
    session.End_Run();
    bool all_passed = true;
    for (int s = 1; s <= gang; ++s) {
        const TSocket_Result& result = session.Result(s);
        TSocketRecord socket{s, result.Passed(), "", std::nullopt};
        if (result.Passed()) {
            socket.Result = passed_text(s);
        } else {
            socket.Result = Socket_Result_Text(s, result);
            socket.Failure = result;
        }
        all_passed = all_passed && result.Passed();
        record.Sockets.push_back(socket);
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
    if (Append_Record(report_path, record, error))
        return true;
    if (status == Exit_Passed)
        record.Exit_Status = Exit_File_Error;
    return false;
}

TStation::TStation(TGangSession& session, TAdapter& adapter, const TDeviceType& type,
                   std::vector<TStep> steps, TRunRecord template_record, std::string report_path)
    : Session(session), Adapter(adapter), Type(type), Steps(std::move(steps)),
      Template(std::move(template_record)), Report_Path(std::move(report_path))
{
}

const TRunRecord& TStation::Run_Next(int32_t end_of_range, IRun_Progress& progress,
                                     const TPassed_Text& passed_text)
{
    ++Sequence;
    Adapter.Refill(Type);
    Session.New_Run();
    Record = Template;
    Record.Sequence = Sequence;
    Record.Start = QDateTime::currentDateTimeUtc();
    Passed = Run_Steps(Session, Steps, end_of_range, progress, passed_text, Record);
    All_Passed = All_Passed && Passed;
    Append_Error.clear();
    Finish_Record(Record, Run_Status(Session.Stopped(), Passed), Report_Path, Append_Error);
    Summary.Add(QJsonDocument::fromJson(QByteArray::fromStdString(Record_Line(Record))).object());
    return Record;
}

} // namespace gang::session
