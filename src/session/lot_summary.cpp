#include "session/lot_summary.h"

#include "platform/system_file.h"
#include "session/json_number.h"
#include "session/run_record.h"
#include "session/serial.h"
#include "texts/result_text.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <vector>

#include <cstdio>

namespace gang::session {

namespace {

std::string S(const QJsonValue& value)
{
    return value.toString().toStdString();
}

std::string Percent(int part, int whole)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", whole > 0 ? 100.0 * part / whole : 0.0);
    return text;
}

} // namespace

void TLotSummary::Add(const QJsonObject& record)
{
    const std::string lot = S(record["lot"]);
    const std::string type = S(record["type"]);
    if (!Only_Lot.empty() && lot != Only_Lot)
        return;
    TLotTally* tally = nullptr;
    for (TLotTally& known : Lots)
        if (known.Lot == lot && known.Type == type)
            tally = &known;
    if (tally == nullptr) {
        Lots.push_back({});
        tally = &Lots.back();
        tally->Lot = lot;
        tally->Type = type;
    }
    ++tally->Runs;
    if (const auto sequence = Whole_Number(record["sequence"], 0, INT32_MAX))
        tally->Last_Sequence = std::max(tally->Last_Sequence, static_cast<int>(*sequence));
    const QDateTime start = QDateTime::fromString(record["start"].toString(), Qt::ISODateWithMs);
    const QDateTime end = QDateTime::fromString(record["end"].toString(), Qt::ISODateWithMs);
    if (start.isValid() && end.isValid())
        tally->Seconds += static_cast<double>(start.msecsTo(end)) / 1000.0;
    if (record["stopped"].toBool()) {
        ++tally->Stopped_Runs;
        return;
    }
    const QJsonArray sockets = record["sockets"].toArray();
    for (const auto& value : sockets) {
        const QJsonObject socket = value.toObject();
        const auto kind = Result_Kind_Of_Key(S(socket["kind"]));
        // A socket that did not finish its step is neither good nor bad.
        if (kind == TResult_Kind::Stopped)
            continue;
        ++tally->Chips;
        if (socket["passed"].toBool()) {
            ++tally->Passed;
            // Decimal text (a number in records of older versions).
            if (const auto serial = Exact_Unsigned(socket["serial"]))
                tally->Serials.push_back(*serial);
            continue;
        }
        ++tally->Failed_By_Kind[kind ? Result_Kind_Text(*kind) : "Failed"];
        if (socket.contains("address")) {
            ++tally->Failing_Addresses[S(socket["address"])];
            tally->Failing_Sockets[S(socket["address"])].insert(socket["socket"].toInt());
        }
    }
}

std::string Tally_Line(const TLotTally& tally)
{
    return "lot " + tally.Lot + ": " + std::to_string(tally.Passed) + " of " +
           std::to_string(tally.Chips) + " chips passed (" + Percent(tally.Passed, tally.Chips) +
           " %), " + std::to_string(tally.Runs) + (tally.Runs == 1 ? " run" : " runs");
}

std::string Summary_Text(const TLotTally& tally)
{
    std::string text = "lot " + tally.Lot + ", " + tally.Type + "\n";
    text += "  runs     " + std::to_string(tally.Runs);
    if (tally.Stopped_Runs > 0)
        text += " (" + std::to_string(tally.Stopped_Runs) + " stopped, not counted)";
    text += "\n  chips    " + std::to_string(tally.Chips) + "\n";
    text += "  passed   " + std::to_string(tally.Passed) + "\n";
    int failed = 0;
    for (const auto& [kind, count] : tally.Failed_By_Kind)
        failed += count;
    text += "  failed   " + std::to_string(failed);
    for (const auto& [kind, count] : tally.Failed_By_Kind)
        text += ", " + kind + " " + std::to_string(count);
    text += "\n  yield    " + std::to_string(tally.Passed) + " of " + std::to_string(tally.Chips) +
            " chips passed (" + Percent(tally.Passed, tally.Chips) + " %)\n";
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", tally.Seconds);
    text += std::string("  time     ") + seconds + "\n";
    if (!tally.Serials.empty())
        text += "  serials  " + Serial_Ranges(tally.Serials) + "\n";
    // "address 0000 failed 3 times, socket 2": one socket's stuck line, or
    // the same address on several sockets (the image or the type).
    for (const auto& [address, count] : tally.Failing_Addresses) {
        if (count < 2)
            continue;
        text += "  address " + address + " failed " + std::to_string(count) + " times";
        const auto sockets = tally.Failing_Sockets.find(address);
        if (sockets != tally.Failing_Sockets.end() && !sockets->second.empty()) {
            text += sockets->second.size() == 1 ? ", socket" : ", sockets";
            const char* separator = " ";
            for (int socket : sockets->second) {
                text += separator + std::to_string(socket);
                separator = ", ";
            }
        }
        text += "\n";
    }
    return text;
}

TRecord_Line Take_Record_Line(const std::string& line, TLotSummary& summary)
{
    const QByteArray bytes = QByteArray::fromStdString(line).trimmed();
    if (bytes.isEmpty())
        return TRecord_Line::Blank;
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    // An event (a socket's wear count reset) is no run: not counted.
    if (document.isObject() && document.object()["event"].isString())
        return TRecord_Line::Event;
    if (!document.isObject() || !document.object()["sockets"].isArray())
        return TRecord_Line::Unreadable;
    summary.Add(document.object());
    return TRecord_Line::Run;
}

bool Read_Record_Lines(const std::string& path,
                       const std::function<void(const std::string& line, bool too_long)>& take,
                       std::string& error)
{
    try {
        TSystemFile file = TSystemFile::Open_For_Reading(path);
        TLine_Splitter lines;
        std::vector<char> block(std::size_t{64} * 1024);
        for (std::size_t got; (got = file.Read(block.data(), block.size())) > 0;)
            lines.Feed(block.data(), got, take);
        lines.Finish(take);
        file.Close();
    } catch (const ESystemError& e) {
        error = System_Error_Text(e);
        return false;
    }
    return true;
}

bool Read_Records(const std::string& path, TLotSummary& summary, std::vector<int>& unreadable,
                  std::string& error)
{
    int number = 0;
    return Read_Record_Lines(
        path,
        [&](const std::string& line, bool too_long) {
            ++number;
            if (too_long || Take_Record_Line(line, summary) == TRecord_Line::Unreadable)
                unreadable.push_back(number);
        },
        error);
}

} // namespace gang::session
