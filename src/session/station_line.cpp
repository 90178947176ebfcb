#include "session/station_line.h"

#include "core/hex_text.h"
#include "session/lot_summary.h"
#include "store/store_url.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSysInfo>
#include <QUuid>

#include <algorithm>
#include <set>

namespace gang::session {

namespace {

// The chips of a record that passed, as the lot's tally counts them.
int Passed_Chips(const QJsonObject& record)
{
    TLotSummary summary;
    summary.Add(record);
    return summary.Tallies().empty() ? 0 : summary.Tallies().front().Passed;
}

} // namespace

TLine_Settings Line_Settings_Of(const TRunSettings& settings)
{
    TLine_Settings line;
    line.Store = settings.Store;
    line.Lot = settings.Lot;
    line.Quantity = settings.Quantity;
    if (settings.Serial) {
        line.Pool = settings.Serial->Pool;
        line.Serial_Start = settings.Serial->Start;
        line.Serial_Step = settings.Serial->Step;
    }
    line.Records = settings.Report;
    return line;
}

std::string Station_Name(bool simulated, uint16_t base)
{
    return QSysInfo::machineHostName().toStdString() + ":" + (simulated ? "sim" : "") +
           IntToHex(base, 4);
}

void TStation_Line::Serve(TStation& station)
{
    station.On_Line(
        [this](TStation::TLine_Grant& grant, std::string& error) { return Grant(grant, error); },
        [this] { Unmade(); });
}

std::string Unreachable_Text(const std::string& reason)
{
    return "the line's store is not reachable: " + reason +
           "; nothing was programmed. Press Enter to try again";
}

TStation_Line::TStation_Line(TLine_Settings settings) : Settings(std::move(settings)) {}

bool TStation_Line::Open(std::string& error)
{
    if (Settings.Store.empty()) {
        // The lot's chips that passed so far, from the station's records.
        if (Settings.Quantity > 0 && !Settings.Records.empty() &&
            QFile::exists(QString::fromStdString(Settings.Records))) {
            TLotSummary summary;
            summary.Only_Lot = Settings.Lot;
            std::vector<int> unreadable;
            if (!Read_Records(Settings.Records, summary, unreadable, error)) {
                error = Settings.Records + ": " + error;
                return false;
            }
            for (const TLotTally& tally : summary.Tallies())
                Local_Passed += tally.Passed;
        }
        return true;
    }
    store::TStore_Url url;
    if (!store::Parse_Store_Url(Settings.Store, url, error))
        return false;
    Store = std::make_unique<store::TStore>();
    std::string reason;
    if (!Store->Connect(Settings.Store, reason)) {
        if (!Store->Named()) {
            error = reason;
            return false;
        }
        return true; // away now: each run tries again
    }
    if (!Store->Check_Schema(error)) {
        const auto at = error.find("URL");
        if (at != std::string::npos)
            error.replace(at, 3, Settings.Store);
        return false;
    }
    return true;
}

bool TStation_Line::Read_Outbox(std::string& reason)
{
    if (Settings.Records.empty())
        return true;
    if (!QFile::exists(QString::fromStdString(Settings.Records)))
        return true;
    std::vector<QJsonObject> records;
    std::vector<std::string> ids;
    const auto take = [&records, &ids](const std::string& line, bool too_long) {
        if (too_long)
            return;
        const QJsonObject record =
            QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        if (record["run_id"].isString()) {
            records.push_back(record);
            ids.push_back(record["run_id"].toString().toStdString());
        }
    };
    if (!Read_Record_Lines(Settings.Records, take, reason)) {
        reason = Settings.Records + ": " + reason;
        return false;
    }
    std::vector<std::string> missing;
    if (!Store->Missing_Runs(ids, missing, reason))
        return false;
    const std::set<std::string> wanted(missing.begin(), missing.end());
    std::set<std::string> known;
    for (const QJsonObject& waiting : Waiting)
        known.insert(waiting["run_id"].toString().toStdString());
    std::vector<QJsonObject> from_file;
    for (const QJsonObject& record : records) {
        const std::string id = record["run_id"].toString().toStdString();
        if (wanted.count(id) != 0 && known.insert(id).second)
            from_file.push_back(record);
    }
    Waiting.insert(Waiting.begin(), from_file.begin(), from_file.end());
    return true;
}

bool TStation_Line::Deliver_Waiting(std::string& reason)
{
    while (!Waiting.empty()) {
        bool inserted = false;
        if (!Store->Deliver(Waiting.front(), inserted, reason))
            return false;
        Waiting.erase(Waiting.begin());
    }
    return true;
}

bool TStation_Line::Ready(std::string& reason)
{
    Store_Failed = true;
    if (!Started) {
        // Once, as the station starts: the records the store missed, then
        // the places of this station's runs that never ended (it died in
        // them) given back, then the lot's quantity.
        if (!Read_Outbox(reason) || !Deliver_Waiting(reason) ||
            !Store->Release_Station(Station, reason))
            return false;
        if (Settings.Quantity > 0 && !Store->Open_Lot(Settings.Lot, Settings.Quantity, reason)) {
            Store_Failed = false;
            return false;
        }
        Started = true;
    }
    if (!Deliver_Waiting(reason))
        return false;
    Store_Failed = false;
    return true;
}

TStation_Line::TLook TStation_Line::Look(int gang, int& chips, std::string& reason)
{
    chips = gang;
    if (!Store) {
        if (Settings.Quantity > 0) {
            Lot_State = {Settings.Quantity, Local_Passed, 0};
            chips = std::min(gang, Lot_State.Left());
            if (Lot_State.Complete())
                return TLook::Complete;
        }
        return TLook::Ready;
    }
    if (!Ready(reason)) {
        if (!Store_Failed)
            return TLook::Refused;
        if (!Needs_Store_For_Run())
            return TLook::Ready; // the record waits; the run needs nothing of the store
        return TLook::Unreachable;
    }
    if (Settings.Quantity == 0)
        return TLook::Ready;
    bool known = false;
    if (!Store->Lot(Settings.Lot, Lot_State, known, reason)) {
        Store_Failed = true;
        return TLook::Unreachable;
    }
    if (Lot_State.Complete())
        return TLook::Complete;
    chips = std::min(gang, Lot_State.Left());
    return chips > 0 ? TLook::Ready : TLook::Held_Elsewhere;
}

void TStation_Line::Unmade()
{
    // The store frees this station's places when it cannot now: at the
    // station's next start, as for a station that died in a run.
    std::string reason;
    if (Store && Needs_Store_For_Run())
        (void)Store->Release_Station(Station, reason);
}

bool TStation_Line::Grant(TStation::TLine_Grant& grant, std::string& error)
{
    Store_Failed = false;
    grant.Run_Id = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    grant.Station = Station;
    if (Wanted > 0)
        grant.Chips = std::min(grant.Chips, Wanted);
    if (!Store) {
        if (Settings.Quantity > 0)
            grant.Chips = std::min(grant.Chips, Settings.Quantity - Local_Passed);
        if (grant.Chips < 1) {
            error = "lot " + Settings.Lot + " has no place left";
            return false;
        }
        return true;
    }
    if (!Needs_Store_For_Run())
        return true;
    if (!Ready(error))
        return false;
    store::TRun_Request request;
    request.Run_Id = grant.Run_Id;
    request.Station = Station;
    request.Chips = grant.Chips;
    request.Lot = Settings.Lot;
    request.Quantity = Settings.Quantity;
    request.Pool = Settings.Pool;
    request.Start = Settings.Serial_Start;
    request.Step = Settings.Serial_Step;
    store::TRun_Grant granted;
    if (!Store->Reserve_Run(request, granted, error)) {
        Store_Failed = true;
        return false;
    }
    if (granted.Chips < 1) {
        error = "lot " + Settings.Lot + " has no place left: the other stations hold them";
        return false;
    }
    grant.Chips = granted.Chips;
    grant.Serials = granted.Serials;
    return true;
}

void TStation_Line::Record_Made(const TRunRecord& record, std::string& warning)
{
    warning.clear();
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(Record_Line(record))).object();
    Local_Passed += Passed_Chips(object);
    if (!Store || record.Run_Id.empty())
        return;
    Waiting.push_back(object);
    std::string reason;
    if (!Ready(reason)) {
        warning = std::to_string(Waiting.size()) +
                  (Waiting.size() == 1 ? " record waits" : " records wait") +
                  (Settings.Records.empty() ? "" : " in " + Settings.Records) +
                  " for the line's store: " + reason;
    }
}

} // namespace gang::session
