// A station on a line (the command line's and the operator window's): the line's store (--store)
// with its serial pool and the lot's places, or a lot's quantity counted from the station's own
// records file.  The station loop asks it what the next run may take, the station's run asks it for
// the run's grant, and each record is handed to it once the records file has it (the file is the
// outbox: a record the store has not taken is delivered at the next run or start, the run id
// deciding).
#pragma once

#include "session/gang_run.h"
#include "session/run_record.h"
#include "session/run_settings.h"
#include "store/store.h"

#include <QJsonObject>

#include <memory>
#include <string>
#include <vector>

namespace gang::session {

struct TLine_Settings {
    std::string Store; // "" without a store
    std::string Lot;
    int Quantity = 0; // 0: no quantity
    std::string Pool; // the serial pool ("" for none)
    uint64_t Serial_Start = 0;
    uint64_t Serial_Step = 1;
    std::string Records; // the station's records file, its outbox ("" for none)
};

// The line of a station's settings: store, lot, quantity, serial pool,
// records file.
TLine_Settings Line_Settings_Of(const TRunSettings& settings);
// The station's name on the line: "host:0378", "host:sim0300" for the
// simulated adapter.
std::string Station_Name(bool simulated, uint16_t base);

class TStation_Line {
public:
    explicit TStation_Line(TLine_Settings settings);

    // At start: the URL checked and the store's tables (not its being
    // there: a store away now is tried again at each run).  False with the
    // error that ends the station (status 2).
    bool Open(std::string& error);
    // The station's name ("host:0378", "host:sim0300"), once the adapter
    // answered.
    void Name_Station(const std::string& name) { Station = name; }

    // What the next run may take, asked before the operator's prompt.
    // Refused: the store answered no (another quantity for the lot): the
    // station ends.
    enum class TLook { Ready, Complete, Held_Elsewhere, Unreachable, Refused };
    TLook Look(int gang, int& chips, std::string& reason);
    // The lot's figures for the operator: places, passed, held elsewhere.
    const store::TLot_State& Lot() const { return Lot_State; }
    bool Has_Quantity() const { return Settings.Quantity > 0; }

    // The station's runs granted by this line (TStation::On_Line).
    void Serve(TStation& station);
    // The station's grant hook.  Unreachable()
    // tells a store that did not answer from a lot without places.
    bool Grant(TStation::TLine_Grant& grant, std::string& error);
    bool Unreachable() const { return Store_Failed; }
    // A granted run that was not made: its places on the lot given back
    // (its pool serials stay a gap, never handed out twice).
    void Unmade();
    int Wanted = 0; // the chips the operator was asked for

    // A run's record, in the records file already: to the store with every
    // one still waiting.  warning: "" when nothing waits.
    void Record_Made(const TRunRecord& record, std::string& warning);

private:
    bool Needs_Store_For_Run() const
    {
        return !Settings.Store.empty() && (Settings.Quantity > 0 || !Settings.Pool.empty());
    }
    bool Ready(std::string& reason);
    bool Deliver_Waiting(std::string& reason);
    bool Read_Outbox(std::string& reason);

    TLine_Settings Settings;
    std::unique_ptr<store::TStore> Store;
    std::string Station;
    bool Started = false; // the outbox delivered, this station's old places given back
    bool Store_Failed = false;
    store::TLot_State Lot_State;
    int Local_Passed = 0;
    std::vector<QJsonObject> Waiting; // records the store has not taken, oldest first
};

// "the line's store is not reachable: <reason>; nothing was programmed.
// Press Enter to try again"
std::string Unreachable_Text(const std::string& reason);

} // namespace gang::session
