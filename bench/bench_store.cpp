// The line's store under load: 1, 4 and 16 stations (each a connection of
// its own, on a thread) against one PostgreSQL server of the bench's own
// on this machine, with fsync on as a real server has it.  Each station
// makes runs as fast as the store lets it: a run's reservation (5 places
// of a lot and 5 serials of a pool, one transaction) and its record (5
// chips, one transaction).  Printed: the median and the 99th percentile of
// each, per number of stations.
#include "store/store.h"
#include "support/pg_server.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms_Since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

QJsonObject Record_Of(const std::string& run_id, const std::string& station,
                      const std::vector<uint64_t>& serials)
{
    QJsonArray sockets;
    for (std::size_t k = 0; k < serials.size(); ++k)
        sockets.append(QJsonObject{{"socket", static_cast<int>(k + 1)},
                                   {"passed", k != 1},
                                   {"kind", k != 1 ? "passed" : "not_verified"},
                                   {"serial", static_cast<qint64>(serials[k])}});
    return QJsonObject{{"run_id", QString::fromStdString(run_id)},
                       {"station", QString::fromStdString(station)},
                       {"lot", "B1"},
                       {"sequence", 1},
                       {"start", "2026-01-01T00:00:00.000Z"},
                       {"end", "2026-01-01T00:00:02.000Z"},
                       {"type", "27C64"},
                       {"gang", 5},
                       {"stopped", false},
                       {"serial", QJsonObject{{"pool", "B"}, {"failed", "reuse"}}},
                       {"sockets", sockets}};
}

struct TTimes {
    std::vector<double> Reserve;
    std::vector<double> Record;
    int Failed = 0;
};

// One station's runs.
void Station(const std::string& url, int number, int runs, TTimes& times)
{
    gang::store::TStore store;
    std::string error;
    if (!store.Connect(url, error)) {
        std::fprintf(stderr, "station %d: %s\n", number, error.c_str());
        times.Failed = runs;
        return;
    }
    const std::string station = "bench:" + std::to_string(number);
    for (int k = 0; k < runs; ++k) {
        const std::string run_id = station + "-" + std::to_string(k);
        gang::store::TRun_Grant grant;
        auto start = Clock::now();
        if (!store.Reserve_Run({run_id, station, 5, "B1", 1000000000, "B", 1, 1}, grant, error)) {
            ++times.Failed;
            continue;
        }
        times.Reserve.push_back(Ms_Since(start));
        bool inserted = false;
        start = Clock::now();
        if (!store.Deliver(Record_Of(run_id, station, grant.Serials), inserted, error)) {
            ++times.Failed;
            continue;
        }
        times.Record.push_back(Ms_Since(start));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    gang::test::TPg_Server server;
    std::string error;
    if (!server.Start(error, true)) {
        std::fprintf(stderr, "bench_store: %s\n", error.c_str());
        return 1;
    }
    const std::string url = server.Url();
    {
        gang::store::TStore store;
        int found = 0;
        if (!store.Connect(url, error) || !store.Init(found, error) ||
            !store.Open_Lot("B1", 1000000000, error)) {
            std::fprintf(stderr, "bench_store: %s\n", error.c_str());
            return 1;
        }
    }
    std::printf("the line's store: a run's reservation (5 places, 5 serials) and its record "
                "(5 chips),\na PostgreSQL server on this machine over its Unix socket, fsync "
                "on\n\n");
    std::printf("stations  runs   reservation median   p99       record median   p99\n");
    for (int stations : {1, 4, 16}) {
        const int runs = std::max(40, 400 / stations); // per station
        std::vector<TTimes> times(static_cast<std::size_t>(stations));
        std::vector<std::thread> threads;
        for (int k = 0; k < stations; ++k)
            threads.emplace_back(Station, url, stations * 100 + k, runs,
                                 std::ref(times[static_cast<std::size_t>(k)]));
        for (std::thread& thread : threads)
            thread.join();
        TTimes all;
        for (const TTimes& one : times) {
            all.Reserve.insert(all.Reserve.end(), one.Reserve.begin(), one.Reserve.end());
            all.Record.insert(all.Record.end(), one.Record.begin(), one.Record.end());
            all.Failed += one.Failed;
        }
        std::printf("%8d  %5zu  %11.2f ms  %9.2f ms  %10.2f ms  %7.2f ms%s\n", stations,
                    all.Reserve.size(), Percentile(all.Reserve, 0.5), Percentile(all.Reserve, 0.99),
                    Percentile(all.Record, 0.5), Percentile(all.Record, 0.99),
                    all.Failed > 0 ? "  (some calls failed)" : "");
    }
    std::string stop_error;
    server.Stop("fast", stop_error);
    return 0;
}
