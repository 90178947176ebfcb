#include "session/records_file.h"

#include "platform/system_file.h"

#include <QJsonDocument>

#include <algorithm>
#include <vector>

namespace gang::session {

namespace {

std::string Room_Text(int64_t bytes)
{
    return std::to_string(bytes / 1024) + " KiB";
}

} // namespace

TRecords_File::TRecords_File(std::string path, std::string lot)
    : Path_(std::move(path)), Lot_Name(std::move(lot))
{
    Summary.Only_Lot = Lot_Name;
}

int TRecords_File::Last_Sequence() const
{
    int last = Own_Sequence;
    for (const TLotTally& tally : Summary.Tallies())
        if (tally.Lot == Lot_Name)
            last = std::max(last, tally.Last_Sequence);
    return last;
}

bool TRecords_File::Open(std::string& error)
{
    Summary = TLotSummary();
    Summary.Only_Lot = Lot_Name;
    Offset = 0;
    Identity = 0;
    return Check(error);
}

void TRecords_File::Catch_Up(TLine_File& file)
{
    if (file.Identity() != Identity || file.Size() < Offset) {
        // Another file by that name (or the first look at it): read from
        // its start.
        Summary = TLotSummary();
        Summary.Only_Lot = Lot_Name;
        Offset = 0;
        Identity = file.Identity();
    }
    // The lot's runs appended since (by this program before, or another).
    const int64_t size = file.Size();
    if (Lot_Name.empty()) {
        // A run outside a lot counts and continues nothing: no need to read.
        Offset = size;
        return;
    }
    std::vector<char> block(std::size_t{64} * 1024);
    TLine_Splitter lines;
    int64_t at = Offset;
    while (at < size) {
        const auto want = static_cast<std::size_t>(
            std::min<int64_t>(size - at, static_cast<int64_t>(block.size())));
        const std::size_t got = file.Read_At(at, block.data(), want);
        if (got == 0)
            break;
        // Whole lines only: a torn last line is closed by End_Last_Line and
        // read as what it is (no record) on the next look.
        for (std::size_t i = 0; i < got; ++i)
            if (block[i] == '\n')
                Offset = at + static_cast<int64_t>(i) + 1;
        lines.Feed(block.data(), got,
                   [this](const std::string& line, bool) { Take_Record_Line(line, Summary); });
        at += static_cast<int64_t>(got);
    }
}

bool TRecords_File::Check(std::string& error)
{
    if (Path_.empty())
        return true;
    try {
        TLine_File file = TLine_File::Open(Path_);
        const int64_t room = file.Free_Bytes();
        if (room < Min_Records_Room) {
            error = Path_ + ": the disk is full (" + Room_Text(room) + " free, a run needs " +
                    Room_Text(Min_Records_Room) + ")";
            return false;
        }
        file.Lock();
        Catch_Up(file);
        file.End_Last_Line();
        return true;
    } catch (const ESystemError& e) {
        error = Path_ + ": " + System_Error_Text(e);
        return false;
    }
}

bool TRecords_File::Append(TRunRecord& record, std::string& error)
{
    if (Path_.empty()) {
        if (!Lot_Name.empty())
            record.Sequence = ++Own_Sequence;
        Summary.Add(
            QJsonDocument::fromJson(QByteArray::fromStdString(Record_Line(record))).object());
        return true;
    }
    try {
        TLine_File file = TLine_File::Open(Path_);
        // Under the lock: the lines the others appended before this one
        // read, so that the lot's sequence goes on from the highest.
        file.Lock();
        Catch_Up(file);
        file.End_Last_Line();
        if (!Lot_Name.empty())
            record.Sequence = Last_Sequence() + 1;
        const std::string line = Record_Line(record);
        file.Append(line + "\n");
        Offset = file.Size();
        if (!Lot_Name.empty())
            Own_Sequence = record.Sequence;
        Summary.Add(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
        return true;
    } catch (const ESystemError& e) {
        error = Path_ + ": " + System_Error_Text(e);
        return false;
    }
}

} // namespace gang::session
