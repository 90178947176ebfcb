// Several command-line stations (real gang-adapter-cli processes over
// simulated adapters at their own bases, as several PCs) on one line's
// store, a real PostgreSQL server of the test's own: one serial pool, one
// lot with a quantity, the server stopped and started under them, a
// station killed in a run.
#include "../signals/trace_at_rest.h"
#include "support/pg_server.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// "(q to finish)" ends every line that waits for the operator's Enter.
constexpr const char* Waits = "(q to finish)";

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// One station: a process whose stderr is read as it comes.
struct TStation {
    QProcess Process;
    std::string Err;
    std::string Out;
    std::size_t Answered = 0; // the waits answered with Enter

    void Start(const QStringList& arguments, const QProcessEnvironment& env)
    {
        Process.setProcessEnvironment(env);
        Process.start(GANG_CLI_PATH, arguments);
        ASSERT_TRUE(Process.waitForStarted());
    }
    void Read()
    {
        Err += Process.readAllStandardError().toStdString();
        Out += Process.readAllStandardOutput().toStdString();
    }
    bool Running() const { return Process.state() != QProcess::NotRunning; }
    // Waits until text appears on stderr after from (or the timeout).
    bool Wait_For(const std::string& text, std::size_t from = 0, int timeout_ms = 120000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (Err.find(text, from) == std::string::npos) {
            if (std::chrono::steady_clock::now() > end || !Running())
                return false;
            Process.waitForReadyRead(100);
            Read();
        }
        return true;
    }
    // The next wait for Enter, answered.
    bool Enter(int timeout_ms = 120000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (Count(Err, Waits) <= Answered) {
            if (std::chrono::steady_clock::now() > end || !Running())
                return false;
            Process.waitForReadyRead(100);
            Read();
        }
        ++Answered;
        Process.write("\n");
        return true;
    }
    void Quit()
    {
        Process.write("q\n");
        Process.closeWriteChannel();
        Process.waitForFinished(60000);
        Read();
    }
};

// Stations answered Enter at every wait until every one has ended.
void Run_All(std::vector<TStation*> stations, int timeout_s = 300)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_s);
    for (;;) {
        bool running = false;
        for (TStation* station : stations) {
            station->Process.waitForReadyRead(20);
            station->Read();
            if (!station->Running())
                continue;
            running = true;
            if (Count(station->Err, Waits) > station->Answered) {
                // A station whose places the others hold looks again soon.
                if (station->Err.rfind("look again") != std::string::npos &&
                    station->Err.rfind("look again") > station->Err.rfind("Lot "))
                    QThread::msleep(100);
                ++station->Answered;
                station->Process.write("\n");
            }
        }
        if (!running)
            return;
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "the stations did not end";
    }
}

class Line : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(Server.Start(error)) << error;
        Url = QString::fromStdString(Server.Url());
        QProcess init;
        init.start(GANG_CLI_PATH, {"store", "init", Url});
        ASSERT_TRUE(init.waitForFinished(60000));
        ASSERT_EQ(init.exitCode(), 0) << init.readAllStandardError().toStdString();
        // 00 below 0040 (every byte there takes its pulses: a run of a
        // few seconds), FF above; the serial goes to 1FF0.
        std::string image(0x2000, '\xFF');
        std::fill(image.begin(), image.begin() + 0x40, '\0');
        std::ofstream(Path("image.bin").toStdString(), std::ios::binary) << image;
        Env = QProcessEnvironment::systemEnvironment();
        Env.insert("XDG_STATE_HOME", Path("state"));
    }

    QString Path(const QString& name) const { return Dir.filePath(name); }

    // A station at base over the line's store: a lot of quantity chips, the
    // pool P1 from 1000 (4 bytes, le, at 1FF0), its records in records-BASE.
    QStringList Station(const QString& base, int gang, int quantity, bool fast = true,
                        const QStringList& sim = {}) const
    {
        QStringList arguments{"--sim", "--base", base};
        if (fast)
            arguments << "--fast";
        arguments << sim;
        arguments << QStringList{"station",        "program",
                                 "--type",         "27C64",
                                 "--gang",         QString::number(gang),
                                 "--lot",          "L7",
                                 "--quantity",     QString::number(quantity),
                                 "--store",        Url,
                                 "--serial-pool",  "P1",
                                 "--serial-at",    "1FF0",
                                 "--serial-size",  "4",
                                 "--serial-start", "1000",
                                 "--report",       Path("records-" + base + ".jsonl"),
                                 Path("image.bin")};
        return arguments;
    }

    std::string Sql(const std::string& query) const
    {
        std::string out;
        std::string error;
        EXPECT_TRUE(Server.Psql(query, out, error)) << error;
        while (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    }

    gang::test::TPg_Server Server;
    QTemporaryDir Dir;
    QString Url;
    QProcessEnvironment Env;
};

// The records of a records file, each as a JSON object.
std::vector<QJsonObject> Records(const QString& path)
{
    std::ifstream file(path.toStdString());
    std::vector<QJsonObject> records;
    for (std::string line; std::getline(file, line);)
        records.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    return records;
}

// Three stations, one pool, one lot of 12 in gangs of 5, socket 2 of one
// station stuck: exactly 12 chips pass, no serial in two chips (read from
// the chips taken out of the sockets too), the summary names the socket.
TEST_F(Line, ThreeStationsMakeALotOfTwelveFromOnePool)
{
    ASSERT_TRUE(QDir().mkpath(Path("tray")));
    TStation stations[3];
    const char* bases[] = {"300", "310", "320"};
    // The station with the stuck socket takes its gang first, so that the
    // socket surely takes part.
    for (int k : {1, 0, 2}) {
        QStringList sim{"--tray", Path("tray")};
        if (k == 1)
            sim << "--socket"
                << "2=27C64,data0:3";
        stations[k].Start(Station(bases[k], 5, 12, true, sim), Env);
        if (k == 1) {
            ASSERT_TRUE(stations[k].Enter()) << stations[k].Err;
            ASSERT_TRUE(stations[k].Wait_For("program  0000")) << stations[k].Err;
        }
    }
    Run_All({&stations[0], &stations[1], &stations[2]});
    for (TStation& station : stations) {
        EXPECT_EQ(station.Process.exitCode(), 0) << station.Err << station.Out;
        EXPECT_NE(station.Out.find("lot L7 complete: 12 of 12 chips passed"), std::string::npos)
            << station.Out;
    }
    EXPECT_EQ(Sql("SELECT count(*) FROM gang_chip WHERE lot = 'L7' AND passed"), "12");
    EXPECT_EQ(Sql("SELECT count(DISTINCT serial) FROM gang_chip WHERE lot = 'L7' AND passed"),
              "12");
    EXPECT_EQ(Sql("SELECT passed FROM gang_lot WHERE lot = 'L7'"), "12");
    EXPECT_EQ(Sql("SELECT count(*) FROM gang_hold"), "0");
    const std::string chips = Sql("SELECT count(*) FROM gang_chip WHERE lot = 'L7'");
    EXPECT_GT(std::stoi(chips), 12) << "socket 2 of station 310 fails";
    // The chips themselves: every serial written, in one chip only.
    std::map<uint32_t, int> written;
    for (const QString& name : QDir(Path("tray")).entryList(QDir::Files)) {
        QFile chip(Path("tray/" + name));
        ASSERT_TRUE(chip.open(QIODevice::ReadOnly));
        const QByteArray bytes = chip.readAll();
        ASSERT_EQ(bytes.size(), 0x2000);
        uint32_t serial = 0;
        for (int k = 3; k >= 0; --k)
            serial = serial << 8 | static_cast<uint8_t>(bytes[0x1FF0 + k]);
        if (serial != 0xFFFFFFFF) // a chip no run took
            ++written[serial];
    }
    EXPECT_GE(written.size(), 12u);
    for (const auto& [serial, count] : written)
        EXPECT_EQ(count, 1) << "serial " << serial << " is in " << count << " chips";

    QProcess summary;
    summary.start(GANG_CLI_PATH, {"summary", "--store", Url, "--lot", "L7"});
    ASSERT_TRUE(summary.waitForFinished(60000));
    const std::string out = summary.readAllStandardOutput().toStdString();
    EXPECT_EQ(summary.exitCode(), 0) << out << summary.readAllStandardError().toStdString();
    EXPECT_NE(out.find("12 of " + chips + " chips passed"), std::string::npos) << out;
    EXPECT_NE(out.find("sim0310 socket 2 fails more often than its neighbours"), std::string::npos)
        << out;
    EXPECT_EQ(Count(out, "fails more often"), 1u) << out;
    EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;

    // A serial in two passing chips is an error of the lot (status 1).
    Sql("UPDATE gang_chip SET serial = (SELECT min(serial) FROM gang_chip WHERE passed)"
        " WHERE (run_id, socket) = (SELECT run_id, socket FROM gang_chip WHERE passed"
        " ORDER BY serial DESC LIMIT 1)");
    QProcess twice;
    twice.start(GANG_CLI_PATH, {"summary", "--store", Url, "--lot", "L7"});
    ASSERT_TRUE(twice.waitForFinished(60000));
    EXPECT_EQ(twice.exitCode(), 1);
    EXPECT_NE(twice.readAllStandardOutput().toStdString().find("ERROR: serial 1000 is in 2 chips"),
              std::string::npos);
}

// The server stopped while the station waits for Enter: the run is
// refused with nothing programmed and the adapter at rest; with the server
// back, Enter runs it.  Stopped in a run: the run ends, its record reaches
// the store once the server is back, once.
TEST_F(Line, TheStationWaitsOutTheStoreAway)
{
    TStation station;
    QStringList arguments = Station("300", 2, 20, false);
    arguments.insert(1, "--trace");
    arguments.insert(2, Path("trace.txt"));
    station.Start(arguments, Env);
    ASSERT_TRUE(station.Enter()) << station.Err; // run 1
    ASSERT_TRUE(station.Wait_For("run 2:")) << station.Err;
    std::string error;
    ASSERT_TRUE(Server.Stop("immediate", error)) << error;
    ASSERT_TRUE(station.Enter()) << station.Err; // run 2, refused
    ASSERT_TRUE(station.Wait_For("the line's store is not reachable: ")) << station.Err;
    ASSERT_TRUE(station.Wait_For("; nothing was programmed. Press Enter to try again"));
    EXPECT_EQ(Records(Path("records-300.jsonl")).size(), 1u);
    EXPECT_EQ(station.Err.find("program  0000", station.Err.find("run 2:")), std::string::npos);
    // The adapter at rest while the station waits.
    ASSERT_TRUE(QFile::copy(Path("trace.txt"), Path("trace-away.txt")));
    gang::Expect_Trace_Ends_At_Rest(Path("trace-away.txt").toStdString(), 0x300);

    ASSERT_TRUE(Server.Start(error)) << error;
    const std::size_t before = station.Err.size();
    ASSERT_TRUE(station.Enter()) << station.Err; // run 2 again, the same chips
    ASSERT_TRUE(station.Wait_For("run 3:", before)) << station.Err;
    EXPECT_EQ(Count(station.Err.substr(before), "program  0000"), 1u) << station.Err;
    EXPECT_EQ(Sql("SELECT count(*) FROM gang_run"), "2") << station.Err;

    // Stopped in the middle of run 3.
    const std::size_t run_3 = station.Err.size();
    ASSERT_TRUE(station.Enter()) << station.Err;
    ASSERT_TRUE(station.Wait_For("program  0000", run_3)) << station.Err;
    ASSERT_TRUE(Server.Stop("immediate", error)) << error;
    ASSERT_TRUE(station.Wait_For("record waits", run_3)) << station.Err;
    EXPECT_NE(station.Err.find("verify", run_3), std::string::npos) << "the run went on";
    ASSERT_EQ(Records(Path("records-300.jsonl")).size(), 3u);
    EXPECT_TRUE(Records(Path("records-300.jsonl")).back()["sockets"].toArray().size() == 2);
    ASSERT_TRUE(station.Wait_For("not reachable", run_3)) << station.Err;
    ASSERT_TRUE(Server.Start(error)) << error;
    ASSERT_TRUE(station.Enter()) << station.Err;
    ASSERT_TRUE(station.Wait_For("run 4:", run_3)) << station.Err;
    EXPECT_EQ(Sql("SELECT count(*) FROM gang_run"), "3") << station.Err;
    station.Quit();
    EXPECT_EQ(station.Process.exitCode(), 0) << station.Err;

    // Started again, from a job that names the store, the pool and the
    // quantity: the station delivers nothing twice.
    QProcess job;
    job.start(GANG_CLI_PATH, {"job",
                              "new",
                              "--type",
                              "27C64",
                              "--gang",
                              "2",
                              "--lot",
                              "L7",
                              "--quantity",
                              "20",
                              "--store",
                              Url,
                              "--serial-pool",
                              "P1",
                              "--serial-at",
                              "1FF0",
                              "--serial-size",
                              "4",
                              "--serial-start",
                              "1000",
                              "--report",
                              Path("records-300.jsonl"),
                              Path("image.bin"),
                              "-o",
                              Path("line.job")});
    ASSERT_TRUE(job.waitForFinished(60000));
    ASSERT_EQ(job.exitCode(), 0) << job.readAllStandardError().toStdString();
    TStation again;
    again.Start({"--sim", "--base", "300", "--fast", "station", "--job", Path("line.job")}, Env);
    // The lot goes on: its three runs are in the records file.
    ASSERT_TRUE(again.Wait_For("run 4:")) << again.Err;
    EXPECT_NE(again.Err.find("lot L7: 14 of 20 chips left to pass"), std::string::npos)
        << again.Err;
    again.Quit();
    EXPECT_EQ(Sql("SELECT count(*) FROM gang_run"), "3");
    EXPECT_EQ(Sql("SELECT count(DISTINCT run_id) FROM gang_chip"), "3");
    EXPECT_EQ(Sql("SELECT passed FROM gang_lot WHERE lot = 'L7'"), "6");
}

// A station killed in its run: its serials are never handed out again, its
// places come back as it starts again, and the lot ends right.
TEST_F(Line, AKilledStationReissuesNoSerial)
{
    TStation killed;
    killed.Start(Station("300", 5, 10, false), Env);
    ASSERT_TRUE(killed.Enter()) << killed.Err;
    ASSERT_TRUE(killed.Wait_For("program  0000")) << killed.Err;
    ::kill(static_cast<pid_t>(killed.Process.processId()), SIGKILL);
    ASSERT_TRUE(killed.Process.waitForFinished(10000));
    EXPECT_EQ(Sql("SELECT sum(places) FROM gang_hold"), "5");

    TStation other;
    other.Start(Station("310", 5, 10), Env);
    ASSERT_TRUE(other.Enter()) << other.Err;
    ASSERT_TRUE(other.Wait_For("look again")) << other.Err;
    EXPECT_NE(other.Out.find("5 PASS  serial 1009"), std::string::npos) << other.Out;

    TStation again;
    again.Start(Station("300", 5, 10), Env);
    Run_All({&other, &again});
    EXPECT_EQ(again.Process.exitCode(), 0) << again.Err;
    EXPECT_EQ(other.Process.exitCode(), 0) << other.Err;
    EXPECT_NE(again.Out.find("1 PASS  serial 1010"), std::string::npos) << again.Out;
    EXPECT_NE(other.Out.find("lot L7 complete: 10 of 10 chips passed"), std::string::npos)
        << other.Out;
    EXPECT_EQ(Sql("SELECT count(*) FROM gang_chip WHERE passed"), "10");
    EXPECT_EQ(Sql("SELECT count(*) FROM gang_chip WHERE passed AND serial < 1005"), "0");
    EXPECT_EQ(Sql("SELECT count(DISTINCT serial) FROM gang_chip WHERE passed"), "10");
    EXPECT_EQ(Sql("SELECT passed FROM gang_lot"), "10");
}

} // namespace

namespace {

// Without a store, a lot's quantity is counted from the station's records
// file, and a store's URL with a password is refused without a word of it.
TEST(LineWithoutStore, AQuantityIsCountedFromTheRecordsFile)
{
    QTemporaryDir dir;
    const QString image = dir.filePath("image.bin");
    std::ofstream(image.toStdString(), std::ios::binary) << std::string(0x2000, '\xFF');
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_STATE_HOME", dir.filePath("state"));
    const QStringList station{"--sim",      "--fast",
                              "station",    "program",
                              "--type",     "27C64",
                              "--gang",     "2",
                              "--lot",      "L7",
                              "--quantity", "3",
                              "--report",   dir.filePath("runs.jsonl"),
                              image};
    for (const char* input : {"\n\n\n", ""}) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(GANG_CLI_PATH, station);
        process.write(input);
        process.closeWriteChannel();
        ASSERT_TRUE(process.waitForFinished(60000));
        const std::string err = process.readAllStandardError().toStdString();
        const std::string out = process.readAllStandardOutput().toStdString();
        EXPECT_EQ(process.exitCode(), 0) << err << out;
        EXPECT_NE(out.find("lot L7 complete: 3 of 3 chips passed"), std::string::npos) << out;
        if (*input != '\0')
            EXPECT_NE(err.find("Lot L7, run 2: insert 1 x 27C64"), std::string::npos) << err;
        else
            EXPECT_EQ(err.find("insert"), std::string::npos) << "no run: " << err;
    }
    EXPECT_EQ(Records(dir.filePath("runs.jsonl")).size(), 2u);

    QProcess refused;
    refused.start(GANG_CLI_PATH,
                  QStringList{"--sim", "station", "program", "--type", "27C64", "--lot", "L7",
                              "--store", "postgresql://gang:s3cret@/line?host=/tmp", image});
    ASSERT_TRUE(refused.waitForFinished(60000));
    const std::string err = refused.readAllStandardError().toStdString();
    EXPECT_EQ(refused.exitCode(), 2);
    EXPECT_NE(err.find("~/.pgpass"), std::string::npos) << err;
    EXPECT_EQ(err.find("s3cret"), std::string::npos) << err;
}

} // namespace
