#include "store/store.h"

#include "store/store_url.h"

#include <QAtomicInt>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace gang::store {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// libpq's quoting of a connection parameter's value.
QString Quoted(const std::string& value)
{
    QString text = Q(value);
    text.replace('\\', "\\\\").replace('\'', "\\'");
    return "'" + text + "'";
}

// The advisory lock that keeps two `store init` apart.
constexpr qint64 Init_Lock = 0x67616E67; // "gang"

// The tables of each version, in order; a store at version v gets every
// statement of the versions after it.
const std::vector<std::vector<const char*>> Migrations = {
    // version 1
    {
        "CREATE TABLE gang_serial_pool ("
        " pool text PRIMARY KEY,"
        " next_serial numeric(20,0) NOT NULL,"
        " step numeric(20,0) NOT NULL CHECK (step > 0),"
        " created timestamptz NOT NULL DEFAULT now())",
        "CREATE TABLE gang_serial_free ("
        " pool text NOT NULL REFERENCES gang_serial_pool (pool),"
        " serial numeric(20,0) NOT NULL,"
        " PRIMARY KEY (pool, serial))",
        "CREATE TABLE gang_lot ("
        " lot text PRIMARY KEY,"
        " quantity integer NOT NULL CHECK (quantity > 0),"
        " passed integer NOT NULL DEFAULT 0,"
        " created timestamptz NOT NULL DEFAULT now())",
        "CREATE TABLE gang_hold ("
        " run_id text PRIMARY KEY,"
        " lot text NOT NULL REFERENCES gang_lot (lot),"
        " station text NOT NULL,"
        " places integer NOT NULL,"
        " created timestamptz NOT NULL DEFAULT now())",
        "CREATE INDEX gang_hold_lot ON gang_hold (lot)",
        "CREATE TABLE gang_run ("
        " run_id text PRIMARY KEY,"
        " lot text NOT NULL,"
        " station text NOT NULL,"
        " sequence integer NOT NULL,"
        " started timestamptz,"
        " record jsonb NOT NULL,"
        " received timestamptz NOT NULL DEFAULT now())",
        "CREATE INDEX gang_run_lot ON gang_run (lot, started)",
        "CREATE TABLE gang_chip ("
        " run_id text NOT NULL REFERENCES gang_run (run_id),"
        " socket integer NOT NULL,"
        " lot text NOT NULL,"
        " station text NOT NULL,"
        " passed boolean NOT NULL,"
        " kind text NOT NULL,"
        " serial numeric(20,0),"
        " PRIMARY KEY (run_id, socket))",
        "CREATE INDEX gang_chip_lot ON gang_chip (lot)",
        "CREATE INDEX gang_chip_serial ON gang_chip (serial) WHERE passed",
    },
};

// A query's statement with its values bound in order.
class TQuery {
public:
    TQuery(const QSqlDatabase& db, const char* sql, std::initializer_list<QVariant> values = {})
        : Query(db)
    {
        // A statement without values is sent as it is: the server prepares
        // no CREATE.
        if (values.size() == 0) {
            Ok = Query.exec(QString::fromLatin1(sql));
            return;
        }
        Ok = Query.prepare(QString::fromLatin1(sql));
        for (const QVariant& value : values)
            Query.addBindValue(value);
        Ok = Ok && Query.exec();
    }
    bool Ok = false;
    QSqlQuery Query;
    QString Error() const { return Query.lastError().databaseText(); }
    bool Next() { return Query.next(); }
    QVariant Value(int k) const { return Query.value(k); }
};

// A serial read back from numeric text.
bool Serial_Of(const QVariant& value, uint64_t& serial)
{
    bool ok = false;
    serial = value.toString().toULongLong(&ok);
    return ok;
}

QVariant Serial_Text(uint64_t serial)
{
    return QString::number(serial);
}

// A socket's serial in a record: a number, or its decimal text.
bool Record_Serial(const QJsonValue& value, uint64_t& serial)
{
    if (value.isString()) {
        bool ok = false;
        serial = value.toString().toULongLong(&ok);
        return ok;
    }
    // A number (older records) only when a double holds it exactly: the
    // range is checked before the cast.
    const double number = value.toDouble(-1);
    if (value.isDouble() && number >= 0 && number <= 9007199254740992.0 &&
        std::trunc(number) == number) {
        serial = static_cast<uint64_t>(number);
        return true;
    }
    return false;
}

QAtomicInt Connections;

// SQL's NULL for a text or numeric value.
QVariant Null_Text()
{
    return QVariant(QMetaType(QMetaType::QString));
}

} // namespace

TStore::TStore() : Name(QString("gang_store_%1").arg(Connections.fetchAndAddRelaxed(1))) {}

TStore::~TStore()
{
    if (QSqlDatabase::contains(Name)) {
        QSqlDatabase::database(Name, false).close();
        QSqlDatabase::removeDatabase(Name);
    }
}

bool TStore::Failed(const QString& what, const QString& reason, std::string& error)
{
    // The first line of the server's or libpq's words; the connection is
    // opened again for the next call (the server may be back by then).
    QString first = reason.trimmed().section('\n', 0, 0).trimmed();
    if (first.isEmpty())
        first = "no answer";
    error = (what.isEmpty() ? first : what + ": " + first).toStdString();
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    if (db.isOpen()) {
        db.rollback();
        db.close();
    }
    return false;
}

bool TStore::Connect(const std::string& url_text, std::string& error)
{
    TStore_Url url;
    if (!Parse_Store_Url(url_text, url, error))
        return false;
    if (!QSqlDatabase::isDriverAvailable("QPSQL")) {
        error = "Qt SQL has no PostgreSQL driver here (Debian: apt install libqt6sql6-psql)";
        return false;
    }
    QSqlDatabase db = QSqlDatabase::contains(Name) ? QSqlDatabase::database(Name, false)
                                                   : QSqlDatabase::addDatabase("QPSQL", Name);
    db.setHostName(Q(url.Host));
    if (url.Port > 0)
        db.setPort(url.Port);
    db.setUserName(Q(url.User));
    db.setDatabaseName(Q(url.Database));
    QStringList options;
    bool timeout = false;
    bool name = false;
    for (const auto& [key, value] : url.Options) {
        options << Q(key) + "=" + Quoted(value);
        timeout = timeout || key == "connect_timeout";
        name = name || key == "application_name";
    }
    // A server that is away answers soon, not after the system's TCP wait.
    if (!timeout)
        options << "connect_timeout=5";
    if (!name)
        options << "application_name=gang-adapter";
    db.setConnectOptions(options.join(';'));
    Have_Url = true;
    return Open(error);
}

bool TStore::Open(std::string& error)
{
    if (!Have_Url) {
        error = "no store named";
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    if (db.isOpen())
        return true;
    if (db.open())
        return true;
    QString reason = db.lastError().databaseText();
    if (reason.trimmed().isEmpty())
        reason = db.lastError().text();
    return Failed("", reason, error);
}

bool TStore::Init(int& found, std::string& error)
{
    if (!Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    if (!db.transaction())
        return Failed("", db.lastError().databaseText(), error);
    TQuery lock(db, "SELECT pg_advisory_xact_lock(?)", {Init_Lock});
    if (!lock.Ok)
        return Failed("", lock.Error(), error);
    TQuery table(db, "CREATE TABLE IF NOT EXISTS gang_schema (version integer NOT NULL)");
    if (!table.Ok)
        return Failed("", table.Error(), error);
    TQuery version(db, "SELECT max(version) FROM gang_schema");
    if (!version.Ok)
        return Failed("", version.Error(), error);
    found = version.Next() && !version.Value(0).isNull() ? version.Value(0).toInt() : 0;
    if (found > Schema_Version) {
        db.rollback();
        error = "the store's tables are version " + std::to_string(found) +
                ", newer than this program's (" + std::to_string(Schema_Version) +
                "): update gang-adapter";
        return false;
    }
    for (int v = found + 1; v <= Schema_Version; ++v)
        for (const char* statement : Migrations[static_cast<std::size_t>(v - 1)]) {
            TQuery step(db, statement);
            if (!step.Ok)
                return Failed("version " + QString::number(v), step.Error(), error);
        }
    TQuery clear(db, "DELETE FROM gang_schema");
    TQuery set(db, "INSERT INTO gang_schema (version) VALUES (?)", {Schema_Version});
    if (!clear.Ok || !set.Ok)
        return Failed("", clear.Ok ? set.Error() : clear.Error(), error);
    if (!db.commit())
        return Failed("", db.lastError().databaseText(), error);
    return true;
}

bool TStore::Check_Schema(std::string& error)
{
    if (!Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    TQuery exists(db, "SELECT to_regclass('gang_schema') IS NOT NULL");
    if (!exists.Ok)
        return Failed("", exists.Error(), error);
    int version = 0;
    if (exists.Next() && exists.Value(0).toBool()) {
        TQuery read(db, "SELECT max(version) FROM gang_schema");
        if (!read.Ok)
            return Failed("", read.Error(), error);
        version = read.Next() ? read.Value(0).toInt() : 0;
    }
    if (version == Schema_Version)
        return true;
    if (version > Schema_Version)
        error = "the store's tables are version " + std::to_string(version) +
                ", newer than this program's (" + std::to_string(Schema_Version) +
                "): update gang-adapter";
    else if (version == 0)
        error = "the line's store is not initialised: run `gang-adapter-cli store init URL` "
                "once for it";
    else
        error = "the line's store has tables of version " + std::to_string(version) +
                ": run `gang-adapter-cli store init URL` to upgrade them to version " +
                std::to_string(Schema_Version);
    return false;
}

bool TStore::Open_Lot(const std::string& lot, int quantity, std::string& error)
{
    if (!Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    TQuery insert(db,
                  "INSERT INTO gang_lot (lot, quantity) VALUES (?, ?) ON CONFLICT (lot) DO NOTHING",
                  {Q(lot), quantity});
    if (!insert.Ok)
        return Failed("", insert.Error(), error);
    TQuery read(db, "SELECT quantity FROM gang_lot WHERE lot = ?", {Q(lot)});
    if (!read.Ok || !read.Next())
        return Failed("", read.Error(), error);
    const int known = read.Value(0).toInt();
    if (known != quantity) {
        error = "the line's store has lot " + lot + " with a quantity of " + std::to_string(known) +
                ", not " + std::to_string(quantity);
        return false;
    }
    return true;
}

bool TStore::Lot(const std::string& lot, TLot_State& state, bool& known, std::string& error)
{
    if (!Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    TQuery read(db,
                "SELECT quantity, passed,"
                " (SELECT coalesce(sum(places), 0) FROM gang_hold h WHERE h.lot = l.lot)"
                " FROM gang_lot l WHERE lot = ?",
                {Q(lot)});
    if (!read.Ok)
        return Failed("", read.Error(), error);
    known = read.Next();
    if (known)
        state = {read.Value(0).toInt(), read.Value(1).toInt(), read.Value(2).toInt()};
    return true;
}

bool TStore::Reserve_Run(const TRun_Request& request, TRun_Grant& grant, std::string& error)
{
    if (!Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    if (!db.transaction())
        return Failed("", db.lastError().databaseText(), error);
    TRun_Grant granted;
    granted.Chips = request.Chips;
    if (request.Quantity > 0) {
        // The lot's row locked: its places are counted by one run at a time.
        TQuery lot(db, "SELECT quantity, passed FROM gang_lot WHERE lot = ? FOR UPDATE",
                   {Q(request.Lot)});
        if (!lot.Ok)
            return Failed("", lot.Error(), error);
        if (!lot.Next()) {
            db.rollback();
            error = "the line's store has no lot " + request.Lot;
            return false;
        }
        const int quantity = lot.Value(0).toInt();
        const int passed = lot.Value(1).toInt();
        TQuery held(db, "SELECT coalesce(sum(places), 0) FROM gang_hold WHERE lot = ?",
                    {Q(request.Lot)});
        if (!held.Ok || !held.Next())
            return Failed("", held.Error(), error);
        const int left = std::max(0, quantity - passed - held.Value(0).toInt());
        granted.Chips = std::min(request.Chips, left);
        if (granted.Chips > 0) {
            TQuery hold(db,
                        "INSERT INTO gang_hold (run_id, lot, station, places) VALUES (?, ?, ?, ?)",
                        {Q(request.Run_Id), Q(request.Lot), Q(request.Station), granted.Chips});
            if (!hold.Ok)
                return Failed("", hold.Error(), error);
        }
    }
    if (!request.Pool.empty() && granted.Chips > 0) {
        TQuery pool(db,
                    "INSERT INTO gang_serial_pool (pool, next_serial, step)"
                    " VALUES (?, CAST(? AS numeric), CAST(? AS numeric))"
                    " ON CONFLICT (pool) DO NOTHING",
                    {Q(request.Pool), Serial_Text(request.Start), Serial_Text(request.Step)});
        if (!pool.Ok)
            return Failed("", pool.Error(), error);
        // Serials handed back first, each claimed by this run alone.
        TQuery reused(db,
                      "DELETE FROM gang_serial_free WHERE (pool, serial) IN"
                      " (SELECT pool, serial FROM gang_serial_free WHERE pool = ?"
                      "  ORDER BY serial LIMIT ? FOR UPDATE SKIP LOCKED)"
                      " RETURNING CAST(serial AS text)",
                      {Q(request.Pool), granted.Chips});
        if (!reused.Ok)
            return Failed("", reused.Error(), error);
        while (reused.Next()) {
            uint64_t serial = 0;
            if (!Serial_Of(reused.Value(0), serial))
                return Failed("", "a serial of the pool is beyond 64 bits", error);
            granted.Serials.push_back(serial);
        }
        const int fresh = granted.Chips - static_cast<int>(granted.Serials.size());
        if (fresh > 0) {
            TQuery next(db,
                        "UPDATE gang_serial_pool SET next_serial = next_serial + ? * step"
                        " WHERE pool = ?"
                        " RETURNING CAST(next_serial - ? * step AS text), CAST(step AS text)",
                        {fresh, Q(request.Pool), fresh});
            if (!next.Ok || !next.Next())
                return Failed("", next.Error(), error);
            uint64_t first = 0;
            uint64_t step = 0;
            if (!Serial_Of(next.Value(0), first) || !Serial_Of(next.Value(1), step))
                return Failed("", "the pool " + Q(request.Pool) + " is past 64-bit serials", error);
            for (int k = 0; k < fresh; ++k)
                granted.Serials.push_back(first + static_cast<uint64_t>(k) * step);
        }
        std::sort(granted.Serials.begin(), granted.Serials.end());
    }
    if (!db.commit())
        return Failed("", db.lastError().databaseText(), error);
    grant = std::move(granted);
    return true;
}

bool TStore::Release_Station(const std::string& station, std::string& error)
{
    if (!Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    TQuery release(db, "DELETE FROM gang_hold WHERE station = ?", {Q(station)});
    return release.Ok || Failed("", release.Error(), error);
}

bool TStore::Deliver(const QJsonObject& record, bool& inserted, std::string& error)
{
    inserted = false;
    const QString run_id = record["run_id"].toString();
    if (run_id.isEmpty()) {
        error = "a record without a run id";
        return false;
    }
    if (!Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    if (!db.transaction())
        return Failed("", db.lastError().databaseText(), error);
    const QString lot = record["lot"].toString();
    const QString station = record["station"].toString();
    const QString start = record["start"].toString();
    TQuery run(db,
               "INSERT INTO gang_run (run_id, lot, station, sequence, started, record)"
               " VALUES (?, ?, ?, ?, CAST(? AS timestamptz), CAST(? AS jsonb))"
               " ON CONFLICT (run_id) DO NOTHING RETURNING run_id",
               {run_id, lot, station, record["sequence"].toInt(),
                start.isEmpty() ? Null_Text() : QVariant(start),
                QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact))});
    if (!run.Ok)
        return Failed("", run.Error(), error);
    if (!run.Next()) // the run id decides: delivered before
        return db.commit() || Failed("", db.lastError().databaseText(), error);
    const bool stopped = record["stopped"].toBool();
    const QJsonObject serial = record["serial"].toObject();
    const QString pool = serial["pool"].toString();
    const bool reuse = !pool.isEmpty() && serial["failed"].toString() == "reuse";
    int passed = 0;
    for (const auto& value : record["sockets"].toArray()) {
        const QJsonObject socket = value.toObject();
        const QString kind = socket["kind"].toString();
        uint64_t number = 0;
        const bool has_serial = Record_Serial(socket["serial"], number);
        const bool chip_passed = !stopped && socket["passed"].toBool();
        // A chip a stop cut short is neither good nor bad (as the lot's
        // tally counts it); its serial is never handed out again.
        if (stopped || kind == "stopped")
            continue;
        passed += chip_passed ? 1 : 0;
        TQuery chip(db,
                    "INSERT INTO gang_chip (run_id, socket, lot, station, passed, kind, serial)"
                    " VALUES (?, ?, ?, ?, ?, ?, CAST(? AS numeric))",
                    {run_id, socket["socket"].toInt(), lot, station, chip_passed, kind,
                     has_serial ? Serial_Text(number) : Null_Text()});
        if (!chip.Ok)
            return Failed("", chip.Error(), error);
        if (reuse && has_serial && !chip_passed) {
            TQuery back(db,
                        "INSERT INTO gang_serial_free (pool, serial)"
                        " VALUES (?, CAST(? AS numeric)) ON CONFLICT DO NOTHING",
                        {pool, Serial_Text(number)});
            if (!back.Ok)
                return Failed("", back.Error(), error);
        }
    }
    TQuery count(db, "UPDATE gang_lot SET passed = passed + ? WHERE lot = ?", {passed, lot});
    TQuery release(db, "DELETE FROM gang_hold WHERE run_id = ?", {run_id});
    if (!count.Ok || !release.Ok)
        return Failed("", count.Ok ? release.Error() : count.Error(), error);
    if (!db.commit())
        return Failed("", db.lastError().databaseText(), error);
    inserted = true;
    return true;
}

bool TStore::Missing_Runs(const std::vector<std::string>& run_ids,
                          std::vector<std::string>& missing, std::string& error)
{
    missing.clear();
    if (run_ids.empty())
        return true;
    if (!Open(error))
        return false;
    QStringList quoted;
    for (const std::string& id : run_ids) {
        QString text = Q(id);
        text.replace('\\', "\\\\").replace('"', "\\\"");
        quoted << "\"" + text + "\"";
    }
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    TQuery query(db,
                 "SELECT id FROM unnest(CAST(? AS text[])) WITH ORDINALITY AS u (id, n)"
                 " WHERE NOT EXISTS (SELECT 1 FROM gang_run r WHERE r.run_id = u.id) ORDER BY n",
                 {"{" + quoted.join(',') + "}"});
    if (!query.Ok)
        return Failed("", query.Error(), error);
    while (query.Next())
        missing.push_back(query.Value(0).toString().toStdString());
    return true;
}

bool TStore::Lots(std::vector<std::string>& lots, std::string& error)
{
    if (!Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    TQuery query(db, "SELECT lot FROM gang_run GROUP BY lot ORDER BY min(started), lot");
    if (!query.Ok)
        return Failed("", query.Error(), error);
    while (query.Next())
        lots.push_back(query.Value(0).toString().toStdString());
    return true;
}

bool TStore::Lot_Records(const std::string& lot, std::vector<QJsonObject>& records,
                         std::string& error)
{
    if (!Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    TQuery query(db,
                 "SELECT CAST(record AS text) FROM gang_run WHERE lot = ?"
                 " ORDER BY started, received",
                 {Q(lot)});
    if (!query.Ok)
        return Failed("", query.Error(), error);
    while (query.Next())
        records.push_back(QJsonDocument::fromJson(query.Value(0).toString().toUtf8()).object());
    return true;
}

bool TStore::Line_Summary(const std::string& lot, TLine_Summary& summary, std::string& error)
{
    if (!Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(Name, false);
    TLine_Summary result;
    result.Lot = lot;
    TQuery stations(db,
                    "SELECT r.station, count(*),"
                    " (SELECT count(*) FROM gang_chip c WHERE c.lot = ? AND c.station = r.station),"
                    " (SELECT count(*) FROM gang_chip c"
                    "  WHERE c.lot = ? AND c.station = r.station AND c.passed)"
                    " FROM gang_run r WHERE r.lot = ? GROUP BY r.station ORDER BY r.station",
                    {Q(lot), Q(lot), Q(lot)});
    if (!stations.Ok)
        return Failed("", stations.Error(), error);
    while (stations.Next())
        result.Stations.push_back({stations.Value(0).toString().toStdString(),
                                   stations.Value(1).toInt(), stations.Value(2).toInt(),
                                   stations.Value(3).toInt()});
    TQuery sockets(db,
                   "SELECT station, socket, count(*), count(*) FILTER (WHERE passed)"
                   " FROM gang_chip WHERE lot = ? GROUP BY station, socket ORDER BY 1, 2",
                   {Q(lot)});
    if (!sockets.Ok)
        return Failed("", sockets.Error(), error);
    while (sockets.Next())
        result.Sockets.push_back({sockets.Value(0).toString().toStdString(),
                                  sockets.Value(1).toInt(), sockets.Value(2).toInt(),
                                  sockets.Value(3).toInt()});
    TQuery serials(db,
                   "SELECT CAST(serial AS text), count(*) FROM gang_chip"
                   " WHERE lot = ? AND passed AND serial IS NOT NULL"
                   " GROUP BY serial ORDER BY serial",
                   {Q(lot)});
    if (!serials.Ok)
        return Failed("", serials.Error(), error);
    while (serials.Next()) {
        uint64_t serial = 0;
        if (!Serial_Of(serials.Value(0), serial))
            continue;
        result.Serials.push_back(serial);
        if (serials.Value(1).toInt() > 1)
            result.Twice.emplace_back(serial, serials.Value(1).toInt());
    }
    summary = std::move(result);
    return true;
}

bool Socket_Stands_Out(const TLine_Summary& summary, const TSocket_Tally& socket)
{
    int other_chips = 0;
    int other_failed = 0;
    for (const TSocket_Tally& other : summary.Sockets)
        if (other.Station == socket.Station && other.Socket != socket.Socket) {
            other_chips += other.Chips;
            other_failed += other.Chips - other.Passed;
        }
    const int failed = socket.Chips - socket.Passed;
    if (failed < 1 || socket.Chips == 0)
        return false;
    const double rate = static_cast<double>(failed) / socket.Chips;
    const double others = other_chips > 0 ? static_cast<double>(other_failed) / other_chips : 0.0;
    return rate > 2 * others && rate > others + 0.2;
}

std::string Line_Summary_Text(const TLine_Summary& summary)
{
    const auto percent = [](int part, int whole) {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", whole > 0 ? 100.0 * part / whole : 0.0);
        return std::string(text);
    };
    std::string text;
    for (const TStation_Tally& station : summary.Stations)
        text += "  station " + station.Station + ": " + std::to_string(station.Passed) + " of " +
                std::to_string(station.Chips) + " chips passed (" +
                percent(station.Passed, station.Chips) + " %), " + std::to_string(station.Runs) +
                (station.Runs == 1 ? " run\n" : " runs\n");
    std::string named;
    for (const TSocket_Tally& socket : summary.Sockets) {
        text += "    " + socket.Station + " socket " + std::to_string(socket.Socket) + ": " +
                std::to_string(socket.Passed) + " of " + std::to_string(socket.Chips) + " passed\n";
        if (Socket_Stands_Out(summary, socket))
            named += "  station " + socket.Station + " socket " + std::to_string(socket.Socket) +
                     " fails more often than its neighbours: " +
                     std::to_string(socket.Chips - socket.Passed) + " of " +
                     std::to_string(socket.Chips) + " chips failed\n";
    }
    text += named;
    for (const auto& [serial, count] : summary.Twice)
        text += "ERROR: serial " + std::to_string(serial) + " is in " + std::to_string(count) +
                " chips that passed\n";
    return text;
}

} // namespace gang::store
