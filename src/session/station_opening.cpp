#include "session/station_opening.h"

#include "core/hex_text.h"
#include "core/shared_texts.h"
#include "devices/device_rules.h"
#include "link/families.h"
#include "link/port.h"
#include "session/device_choice.h"
#include "session/exit_status.h"

#include <algorithm>

namespace gang::session {

namespace {

bool Protectable(const TDeviceType& type)
{
    const TFamily* family = Family_Row(type.Family);
    return family != nullptr && family->Unlock != nullptr;
}

} // namespace

TStationPlan Job_Plan(const TJob& job, const TBuffer& image, const std::string& lot,
                      const std::string& front_end)
{
    TStationPlan plan;
    plan.Settings = job;
    plan.Settings.Lot = job.Lot.empty() ? lot : job.Lot;
    plan.Settings.Report = Job_Records_Path(job);
    if (plan.Settings.Serial)
        plan.Settings.Serial->State_Path = Job_Serial_State_Path(job);
    plan.Image = image;
    plan.Template = Job_Record_Template(job, image, plan.Settings.Lot, front_end);
    plan.Steps = Program_Steps(job.Blank_First, job.Verify);
    return plan;
}

TJob_Opening Plan_From_Job(const std::string& path, const std::string& given_lot,
                           const std::string& front_end, TStationPlan& plan, std::string& error,
                           std::vector<std::string>& warnings)
{
    TJob job;
    TBuffer image;
    TJob_Opening opening =
        Read_Job(path, job, error) ? TJob_Opening::Opened : TJob_Opening::Refused;
    if (opening == TJob_Opening::Opened && !job.Lot.empty() && !given_lot.empty()) {
        error = "--lot is fixed by the job (lot " + job.Lot + ")";
        opening = TJob_Opening::Refused;
    }
    if (opening == TJob_Opening::Opened && !Load_Job_Image(job, image, error, warnings))
        opening = TJob_Opening::Refused;
    if (opening == TJob_Opening::Opened && job.Lot.empty() && given_lot.empty()) {
        error = "the job names no lot";
        opening = TJob_Opening::Needs_Lot;
    }
    // The job file named once, whether the reason names it or not.
    if (opening != TJob_Opening::Opened) {
        if (error.rfind(path, 0) != 0)
            error = path + ": " + error;
        return opening;
    }
    plan = Job_Plan(job, image, given_lot, front_end);
    return opening;
}

TStationPlan Plan_From_Settings(const TRunSettings& settings, const TBuffer& image,
                                std::optional<TFileRecord> file, const std::string& front_end)
{
    TStationPlan plan;
    plan.Settings = settings;
    plan.Image = image;
    plan.Steps = Program_Steps(settings.Blank_First, settings.Verify);
    TRunRecord& record = plan.Template;
    record.Lot = settings.Lot;
    record.Front_End = front_end;
    record.Command = "program";
    if (settings.Type != nullptr) {
        record.Type = settings.Type->Type_Name;
        if (Protectable(*settings.Type))
            record.Sdp = Sdp_Mode_Name(settings.Sdp);
    }
    record.Gang = settings.Gang;
    record.Voltage = Vpp_Text(settings.Vpp_Code);
    record.File = std::move(file);
    record.Checksum = Buffer_Check_Sum(image, 0, image.End_Of_Eprom);
    return plan;
}

int Check_Plan_Files(const TStationPlan& plan, std::string& error)
{
    if (!Check_Records_File(plan.Settings.Report, plan.Settings.Lot, error))
        return Exit_File_Error;
    // A pool's serials are in the line's store: no state file.
    const std::optional<TSerialSettings>& serial = plan.Settings.Serial;
    if (!serial || !serial->Pool.empty())
        return Exit_Passed;
    TSerialState state;
    if (!state.Open(*serial, error))
        return Exit_File_Error;
    // A first run whose serials would not fit is refused here, writing
    // nothing.
    return state.Would_Fit(plan.Settings.Gang, error) ? Exit_Passed : Exit_Usage;
}

std::vector<std::string> Verdict_Lines(const TSearchVerdict& verdict)
{
    std::vector<std::string> lines;
    if (verdict.Found) {
        lines.push_back(Found_At_Text(verdict.Base) +
                        (verdict.Simulated ? " (simulated adapter)" : ""));
        // A port the search could not open on its way names its reason
        // under the verdict.
        lines.insert(lines.end(), verdict.Boxes.begin(), verdict.Boxes.end());
        return lines;
    }
    lines = verdict.Boxes;
    for (uint16_t base : verdict.Ports_In_Use)
        lines.push_back(Port_In_Use_Line(base));
    lines.push_back(Not_Found_Text);
    return lines;
}

TOpenedStation Open_Station(TGangSession& session, TTimed_Host& host, TAdapter& adapter,
                            const TStationPlan& plan)
{
    TOpenedStation opened;
    TSearchVerdict& verdict = opened.Verdict;
    const TRunSettings& settings = plan.Settings;
    const bool programs =
        std::find(plan.Steps.begin(), plan.Steps.end(), TStep::Program) != plan.Steps.end();
    host.Boxes.clear();
    verdict.Found = settings.Type != nullptr && session.Find_Adapter(adapter.Chosen(), programs);
    verdict.Base = session.Base();
    verdict.Simulated = adapter.Simulated();
    verdict.Boxes = host.Boxes;
    verdict.Ports_In_Use = session.Ports_In_Use();
    if (!verdict.Found)
        return opened;

    const int32_t vpp =
        settings.Vpp_Code != 0 ? settings.Vpp_Code : Default_Vpp_Code(*settings.Type);
    session.Choose(*settings.Type, settings.Gang, vpp);
    session.Protection(settings.Sdp);
    TRunRecord record = plan.Template;
    record.Adapter = adapter.Simulated() ? "sim" : IntToHex(session.Base(), 4);
    opened.Station = std::make_unique<TStation>(session, adapter, *settings.Type, plan.Steps,
                                                settings.Diagnose, record, settings.Report);
    opened.Station->Count_Wear(settings.Socket_Limit);
    // Records first; and no chip is programmed without its serial.
    if (!opened.Station->Open_Records(opened.Error) ||
        (settings.Serial && !opened.Station->Use_Serials(*settings.Serial, opened.Error)))
        opened.Station.reset();
    return opened;
}

} // namespace gang::session
