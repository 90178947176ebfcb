#include "cli/cli_store.h"

#include "cli/cli_messages.h"
#include "session/exit_status.h"
#include "session/lot_summary.h"
#include "store/store.h"

#include <QJsonObject>

#include <iostream>
#include <vector>

namespace gang::cli {

int Run_Store_Init(const std::string& url)
{
    store::TStore store;
    std::string error;
    int found = 0;
    if (!store.Connect(url, error) || !store.Init(found, error)) {
        Print_Error("the line's store: " + error);
        return Exit_File_Error;
    }
    if (found == store::Schema_Version)
        std::cout << "the line's store has its tables already (version " << found << ")\n";
    else if (found == 0)
        std::cout << "the line's store is initialised (tables version " << store::Schema_Version
                  << ")\n";
    else
        std::cout << "the line's store is upgraded from version " << found << " to "
                  << store::Schema_Version << "\n";
    return Exit_Passed;
}

int Run_Store_Summary(const std::string& url, const std::string& lot)
{
    store::TStore store;
    std::string error;
    if (!store.Connect(url, error)) {
        Print_Error("the line's store is not reachable: " + error);
        return Exit_File_Error;
    }
    if (!store.Check_Schema(error)) {
        const auto at = error.find("URL");
        if (at != std::string::npos)
            error.replace(at, 3, url);
        Print_Error(error);
        return Exit_Usage;
    }
    std::vector<std::string> lots;
    if (!lot.empty())
        lots.push_back(lot);
    else if (!store.Lots(lots, error)) {
        Print_Error("the line's store: " + error);
        return Exit_File_Error;
    }
    int status = Exit_Passed;
    for (const std::string& name : lots) {
        std::vector<QJsonObject> records;
        store::TLine_Summary line;
        if (!store.Lot_Records(name, records, error) || !store.Line_Summary(name, line, error)) {
            Print_Error("the line's store: " + error);
            return Exit_File_Error;
        }
        session::TLotSummary summary;
        summary.Only_Lot = name;
        for (const QJsonObject& record : records)
            summary.Add(record);
        for (const session::TLotTally& tally : summary.Tallies())
            std::cout << session::Tally_Line(tally) << "\n" << session::Summary_Text(tally);
        std::cout << store::Line_Summary_Text(line);
        if (!line.Twice.empty())
            status = Exit_Socket_Failed;
    }
    if (lots.empty())
        std::cout << "the line's store holds no record" << (lot.empty() ? "" : " of lot " + lot)
                  << "\n";
    return status;
}

} // namespace gang::cli
