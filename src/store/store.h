// The line's store: one PostgreSQL database that several stations share
// through Qt SQL's PostgreSQL driver.  It hands out serial numbers from
// named pools, the places of a lot with a quantity, and keeps every run's
// record with each of its chips.  Every change is one transaction; a run id
// decides whether a record is new, so a record delivered again is taken
// once.  Qt Core and Qt SQL only: the station's front ends call it.
#pragma once

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gang::store {

// The tables' version this program writes; `store init` creates or
// upgrades a store to it.
constexpr int Schema_Version = 1;

// What a run asks of the line as it begins.
struct TRun_Request {
    std::string Run_Id;  // unique across the line
    std::string Station; // "host:0378"
    int Chips = 0;       // the gang
    // The lot's places: with a quantity (> 0), one place per chip.
    std::string Lot;
    int Quantity = 0;
    // A serial per chip from the pool ("" for none); a new pool starts at
    // Start and counts by Step.
    std::string Pool;
    uint64_t Start = 0;
    uint64_t Step = 1;
};

struct TRun_Grant {
    int Chips = 0;                 // fewer than asked when the lot has fewer places left
    std::vector<uint64_t> Serials; // ascending, one per chip, with a pool
};

// A lot with a quantity: its places, the chips that passed, and the places
// that runs under way hold.
struct TLot_State {
    int Quantity = 0;
    int Passed = 0;
    int Held = 0;
    int Left() const { return Quantity - Passed - Held > 0 ? Quantity - Passed - Held : 0; }
    bool Complete() const { return Passed >= Quantity; }
};

struct TStation_Tally {
    std::string Station;
    int Runs = 0;
    int Chips = 0;
    int Passed = 0;
};

struct TSocket_Tally {
    std::string Station;
    int Socket = 0;
    int Chips = 0;
    int Passed = 0;
};

// A lot across the line, from the chips the store holds.
struct TLine_Summary {
    std::string Lot;
    std::vector<TStation_Tally> Stations;
    std::vector<TSocket_Tally> Sockets;
    std::vector<uint64_t> Serials;               // of the chips that passed
    std::vector<std::pair<uint64_t, int>> Twice; // a serial in more than one passing chip
};

class TStore {
public:
    TStore();
    ~TStore();
    TStore(const TStore&) = delete;
    TStore& operator=(const TStore&) = delete;

    // The URL checked (a password in it refused) and the connection opened.
    // False with the reason (the URL is never repeated: it is the user's).
    bool Connect(const std::string& url, std::string& error);
    // Connect took the URL and found the driver: a later call connects
    // again by itself (false: the URL or the driver is wrong, for good).
    bool Named() const { return Have_Url; }
    // Creates or upgrades the tables to Schema_Version in one transaction;
    // found: the version the store had (0: none).
    bool Init(int& found, std::string& error);
    // The store holds this program's tables: false with the reason, naming
    // the command that initialises it.
    bool Check_Schema(std::string& error);

    // The lot's quantity set (the first station) or checked (every other);
    // false when the store holds another quantity for it.
    bool Open_Lot(const std::string& lot, int quantity, std::string& error);
    // The lot's places; known false when the lot has no quantity.
    bool Lot(const std::string& lot, TLot_State& state, bool& known, std::string& error);
    // A run's places and serials reserved in one transaction.  A serial
    // handed out counts as used whatever becomes of the run; serials
    // handed back (reuse) are claimed by one run only.
    bool Reserve_Run(const TRun_Request& request, TRun_Grant& grant, std::string& error);
    // The places of a run that never reached the store (its station died):
    // every place held by that station, given back as it starts again.
    bool Release_Station(const std::string& station, std::string& error);

    // A run's record (JSON, with "run_id", "station", "lot"): kept, its
    // chips counted, the lot's places it held given back, and with a
    // pool's "reuse" the serials of its failed chips handed back.  inserted
    // false: the store had it already, nothing changed.
    bool Deliver(const QJsonObject& record, bool& inserted, std::string& error);
    // Of these run ids, the ones the store does not hold.
    bool Missing_Runs(const std::vector<std::string>& run_ids, std::vector<std::string>& missing,
                      std::string& error);

    // The lots the store holds records of, and a lot's records in the
    // order they began.
    bool Lots(std::vector<std::string>& lots, std::string& error);
    bool Lot_Records(const std::string& lot, std::vector<QJsonObject>& records, std::string& error);
    bool Line_Summary(const std::string& lot, TLine_Summary& summary, std::string& error);

private:
    bool Open(std::string& error);
    bool Failed(const QString& what, const QString& reason, std::string& error);
    QString Name;
    bool Have_Url = false;
};

// The summary's lines per station and per socket, a socket that fails
// more often than its neighbours named, and every serial in two passing
// chips ("ERROR: serial 1004 is in 2 chips that passed").
std::string Line_Summary_Text(const TLine_Summary& summary);
// The socket of a station that fails more often than the station's other
// sockets: a failure rate over twice the others' and 20 points above it.
bool Socket_Stands_Out(const TLine_Summary& summary, const TSocket_Tally& socket);

} // namespace gang::store
