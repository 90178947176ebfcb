// The operator window over the simulated adapter, driven with real key
// presses through the event loop: Enter starts a run, Esc stops it, a close
// leaves the adapter at rest.  The job is built here and its image put into
// the Buffer directly (the job file is read elsewhere).
#include "session/job.h"
#include "session/sim/simulated_adapter.h"
#include "session/version.h"
#include "signals/trace_at_rest.h"
#include "support/device_type.h"
#include "ui/station/station_window.h"
#include "wait_for.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gang {
namespace {

constexpr int32_t End_8K = 0x1FFF;

bool Wait_For(const std::function<bool()>& done, int deadline_ms = 120000)
{
    return Wait_Until(done, deadline_ms);
}

std::vector<QJsonObject> Records(const std::string& path)
{
    std::vector<QJsonObject> records;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        records.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    return records;
}

struct TStationRig {
    QTemporaryDir Dir;
    session::TJob Job;
    TBuffer Image;
    std::unique_ptr<session::TSimulatedAdapter> Adapter;
    std::unique_ptr<TStationWindow> Window;

    std::string Path(const char* name) const { return Dir.filePath(name).toStdString(); }
    // The station of the job and its image; its records in line3.jsonl
    // beside the job.
    session::TStationPlan Plan() const { return session::Job_Plan(Job, Image, "", "window"); }

    // A gang of five 27C64 with socket 2 stuck: bit 3 at 0100 never
    // programs to 0.  fast: the chips take any valid pulse.
    explicit TStationRig(bool fast)
    {
        Job.Path = Path("line3.job");
        Job.Sha256 = "5d41402abc4b2a76b9719d911017c592aabbccddeeff00112233445566778899";
        Job.Image_Path = Path("firmware.bin");
        Job.Image_Format = "binary";
        Job.Image_Size = End_8K + 1;
        Job.Image_Sha256 = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
        Job.Type = &test::Type_Named("27C64");
        Job.Gang = 5;
        Job.Lot = "L2412";
        Image.End_Of_Eprom = End_8K;
        Image.Data.fill(0xFF);
        // Erased bytes take no pulse: a few programmed ones below the stuck
        // byte keep a run short.
        for (int32_t a = 0; a < 0x100; a += 0x10)
            Image[static_cast<std::size_t>(a)] = static_cast<uint8_t>(a);
        Image[0x100] = 0xA5;

        sim::TSimOptions options;
        options.Config.Fast_Chips = fast;
        options.Trace_Path = Path("trace.txt");
        sim::TSocketOption stuck;
        stuck.Socket = 2;
        stuck.Type = "27C64";
        stuck.Fault = sim::TFault{sim::TFaultKind::Stuck_At_1, 3, 0x100, -1, 0};
        options.Sockets.push_back(stuck);
        std::string error;
        Adapter = session::TSimulatedAdapter::Make(options, error);
        EXPECT_TRUE(Adapter) << error;
        Adapter->Fresh_Chips(*Job.Type);
        Window = std::make_unique<TStationWindow>(Plan(), *Adapter);
    }

    // Slow chips: every byte of the first 64 takes real pulses, so a run
    // lasts long enough to be stopped or closed in the middle.
    void Open_Slow_Window()
    {
        std::fill(Image.Data.begin(), Image.Data.begin() + 0x40, 0x00);
        Window = std::make_unique<TStationWindow>(Plan(), *Adapter);
    }

    // The adapter at rest, and its trace ends so.
    void Expect_At_Rest()
    {
        EXPECT_TRUE(Adapter->Sim().At_Rest());
        Adapter->Sim().Trace_To("");
        Expect_Trace_Ends_At_Rest(Path("trace.txt"), 0x378);
    }

    bool Show_And_Search()
    {
        Window->show();
        return Wait_For([this] { return Window->Searched() && !Window->Busy(); });
    }

    QPushButton* Start() const { return Window->findChild<QPushButton*>("Start"); }

    // Enter on the window, then the run to its end.
    bool Enter_And_Wait(int runs_before)
    {
        QTest::keyClick(Window.get(), Qt::Key_Return);
        return Wait_For([&] {
            return Window->Station().Runs() == runs_before + 1 && !Window->Busy() &&
                   Start()->isEnabled();
        });
    }
};

TEST(StationWindow, TwoRunsFromEnterRecordTileAndTallyThenCloseRestsTheAdapter)
{
    TStationRig rig(true);
    ASSERT_TRUE(rig.Show_And_Search());
    TStationWindow& w = *rig.Window;
    ASSERT_TRUE(w.Found()) << w.Status_Text().toStdString();
    EXPECT_EQ(w.Status_Text().toStdString(),
              "The Tarvik Programmer was Found at 0378 (simulated adapter)");
    EXPECT_EQ(w.Job_Text().toStdString(),
              "27C64 x 5   image firmware.bin   sha256 0123456789ab   lot L2412");
    EXPECT_EQ(w.Tally_Text().toStdString(), "no run yet");
    for (int s = 1; s <= 5; ++s)
        EXPECT_EQ(w.Tile_Text(s).toStdString(), "idle") << s;
    // Nothing the job fixes is offered: two keys, no list, no field.
    int keys = 0;
    for (const QPushButton* key : w.findChildren<QPushButton*>())
        keys += key->isVisible() ? 1 : 0;
    EXPECT_EQ(keys, 2);

    ASSERT_TRUE(rig.Enter_And_Wait(0));
    ASSERT_TRUE(rig.Enter_And_Wait(1));

    for (int s : {1, 3, 4, 5})
        EXPECT_EQ(w.Tile_Text(s).toStdString(), "PASS") << s;
    EXPECT_EQ(w.Tile_Text(2).toStdString(),
              "FAIL\nNot Programmed at 0100: expected A5, read AD\n1 byte differs");
    EXPECT_NE(w.Tally_Text().toStdString().find("8 of 10 chips passed (80.0 %)"), std::string::npos)
        << w.Tally_Text().toStdString();
    EXPECT_EQ(w.Remaining_Text().left(7).toStdString(), "done in");

    const std::vector<QJsonObject> records = Records(rig.Path("line3.jsonl"));
    ASSERT_EQ(records.size(), 2u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const QJsonObject& r = records[i];
        EXPECT_EQ(r["front_end"].toString(), "window");
        // The version every program writes (gang-adapter-cli --version's).
        EXPECT_EQ(r["version"].toString(), QString(session::Program_Version()));
        EXPECT_FALSE(r["version"].toString().isEmpty());
        EXPECT_EQ(r["sequence"].toInt(), static_cast<int>(i) + 1);
        EXPECT_EQ(r["lot"].toString(), "L2412");
        EXPECT_EQ(r["type"].toString(), "27C64");
        EXPECT_EQ(r["job"].toObject()["path"].toString().toStdString(), rig.Job.Path);
        EXPECT_EQ(r["job"].toObject()["sha256"].toString().toStdString(), rig.Job.Sha256);
        EXPECT_FALSE(r["stopped"].toBool());
    }

    // The README's picture: GANG_STATION_SCREENSHOT=docs/operator-window.png.
    if (const char* shot = std::getenv("GANG_STATION_SCREENSHOT")) {
        EXPECT_TRUE(w.grab().save(QString::fromLocal8Bit(shot)));
    }

    w.close();
    EXPECT_FALSE(w.isVisible());
    rig.Expect_At_Rest();
}

// No tile clips its largest word ("stopped" in the tile's large letters) at
// the default size, nor at 1.5x scaling (this test once more in a process
// of its own with QT_SCALE_FACTOR=1.5).
TEST(StationWindow, NoTileClipsItsWordAtTheDefaultSizeAndAtOneAndAHalf)
{
    TStationRig rig(true);
    rig.Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(rig.Window.get()));
    for (int s = 1; s <= 5; ++s) {
        const QLabel* tile = rig.Window->findChild<QLabel*>(QStringLiteral("Tile%1").arg(s));
        ASSERT_NE(tile, nullptr);
        QFont letters = tile->font();
        letters.setPixelSize(44);
        letters.setBold(true);
        EXPECT_LE(QFontMetrics(letters, tile).horizontalAdvance("stopped"),
                  tile->contentsRect().width() - 12)
            << s << " at scale " << tile->devicePixelRatioF();
    }
    rig.Window->close();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return;
    QProcess scaled;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_SCALE_FACTOR", "1.5");
    scaled.setProcessEnvironment(env);
    scaled.start(
        QCoreApplication::applicationFilePath(),
        {"--gtest_filter=StationWindow.NoTileClipsItsWordAtTheDefaultSizeAndAtOneAndAHalf"});
    ASSERT_TRUE(scaled.waitForFinished(60000));
    EXPECT_EQ(scaled.exitCode(), 0) << scaled.readAllStandardOutput().toStdString();
}

// A lot's quantity (here without a store: counted from the records file):
// a run takes no more chips than places are left, and a complete lot takes
// no more runs.
TEST(StationWindow, ALotsQuantityEndsItsRuns)
{
    TStationRig rig(true);
    rig.Job.Quantity = 6;
    rig.Window = std::make_unique<TStationWindow>(rig.Plan(), *rig.Adapter);
    ASSERT_TRUE(rig.Show_And_Search());
    TStationWindow& w = *rig.Window;
    EXPECT_NE(w.Tally_Text().toStdString().find(
                  "lot L2412: 6 of 6 chips left to pass; next run: insert 5 x 27C64"),
              std::string::npos)
        << w.Tally_Text().toStdString();
    ASSERT_TRUE(rig.Enter_And_Wait(0)); // socket 2 fails: 4 pass
    EXPECT_NE(w.Tally_Text().toStdString().find("2 of 6 chips left to pass; next run: insert 2"),
              std::string::npos)
        << w.Tally_Text().toStdString();
    ASSERT_TRUE(rig.Enter_And_Wait(1)); // sockets 1 and 2
    EXPECT_EQ(w.Tile_Text(3).toStdString(), "idle");
    QTest::keyClick(&w, Qt::Key_Return); // socket 1 alone
    ASSERT_TRUE(Wait_For([&] { return w.Complete() && !w.Busy(); }));
    EXPECT_EQ(w.Status_Text().toStdString(), "lot L2412 complete: 6 of 6 chips passed");
    EXPECT_FALSE(rig.Start()->isEnabled());
    QTest::keyClick(&w, Qt::Key_Return);
    QTest::qWait(200);
    EXPECT_EQ(w.Station().Runs(), 3);
    EXPECT_EQ(Records(rig.Path("line3.jsonl")).size(), 3u);
}

// Records first: a run whose record cannot be written (the records file
// became a folder while it ran) says so, is not counted, and Start takes no
// further run until the file can be written again.
TEST(StationWindow, ARunThatIsNotRecordedIsNotCountedAndNoRunFollowsUntilItCanBe)
{
    TStationRig rig(false);
    rig.Open_Slow_Window();
    ASSERT_TRUE(rig.Show_And_Search());
    TStationWindow& w = *rig.Window;
    ASSERT_TRUE(w.Found()) << w.Status_Text().toStdString();
    const std::string records = rig.Path("line3.jsonl");
    bool replaced = false;
    QTimer hand;
    QObject::connect(&hand, &QTimer::timeout, [&] {
        if (!w.Busy() || replaced || w.Tile_Text(1) != "running")
            return;
        std::filesystem::remove(records);
        std::filesystem::create_directory(records);
        replaced = true;
    });
    hand.start(20);
    ASSERT_TRUE(rig.Enter_And_Wait(0));
    hand.stop();
    ASSERT_TRUE(replaced);
    EXPECT_NE(
        w.Status_Text().indexOf("The run was NOT recorded: " + QString::fromStdString(records)), -1)
        << w.Status_Text().toStdString();
    EXPECT_EQ(w.Tally_Text().toStdString(), "no run yet");

    // Start refuses while the file cannot take a record: no chip programmed.
    QTest::keyClick(&w, Qt::Key_Return);
    ASSERT_TRUE(Wait_For([&] {
        return w.Status_Text().startsWith(QString::fromStdString(records) + ": Is a directory") &&
               !w.Busy();
    })) << w.Status_Text().toStdString();
    EXPECT_EQ(w.Station().Runs(), 1);

    // Writable again: the next run is recorded and counted, first of the lot.
    std::filesystem::remove(records);
    rig.Adapter->Sim().Set_Fast_Chips(true);
    ASSERT_TRUE(rig.Enter_And_Wait(1));
    const std::vector<QJsonObject> lines = Records(records);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["sequence"].toInt(), 1);
    EXPECT_EQ(w.Tally_Text().toStdString(), "4 of 5 chips passed (80.0 %), 1 run");
    w.close();
    rig.Expect_At_Rest();
}

TEST(StationWindow, EscStopsARunAndStartGoesAgain)
{
    TStationRig rig(false);
    // Slow chips: every byte of the first 64 takes real pulses.
    rig.Open_Slow_Window();
    ASSERT_TRUE(rig.Show_And_Search());
    TStationWindow& w = *rig.Window;
    ASSERT_TRUE(w.Found());

    // The operator's hand during the run: a second Enter, which does
    // nothing, then Esc once the run is under way.  No time left is guessed
    // from the first run's programming (an erased byte takes no pulse).
    bool stopped = false;
    QString left_while_programming;
    QTimer hand;
    QObject::connect(&hand, &QTimer::timeout, [&] {
        if (!w.Busy() || stopped || w.Tile_Text(1) != "running")
            return;
        left_while_programming = w.Remaining_Text();
        QTest::keyClick(&w, Qt::Key_Return);
        QTest::keyClick(&w, Qt::Key_Escape);
        stopped = true;
    });
    hand.start(20);
    ASSERT_TRUE(rig.Enter_And_Wait(0));
    hand.stop();
    ASSERT_TRUE(stopped);
    EXPECT_EQ(w.Station().Runs(), 1);
    for (int s = 1; s <= 5; ++s)
        EXPECT_EQ(w.Tile_Text(s).left(7).toStdString(), "stopped") << s;
    std::vector<QJsonObject> records = Records(rig.Path("line3.jsonl"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0]["stopped"].toBool());
    EXPECT_EQ(left_while_programming.toStdString(), "");
    // Counted as the summary counts it: the stopped run's chips in no count.
    EXPECT_EQ(w.Tally_Text().toStdString(),
              "0 of 0 chips passed (0.0 %), runs 1 (1 stopped, not counted)");

    // Start goes again after the stop.
    rig.Adapter->Sim().Set_Fast_Chips(true);
    ASSERT_TRUE(rig.Enter_And_Wait(1));
    records = Records(rig.Path("line3.jsonl"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_FALSE(records[1]["stopped"].toBool());
    EXPECT_EQ(w.Tile_Text(1).toStdString(), "PASS");
    EXPECT_EQ(w.Tile_Text(2).left(4).toStdString(), "FAIL");
    EXPECT_EQ(w.Tally_Text().toStdString(),
              "4 of 5 chips passed (80.0 %), runs 2 (1 stopped, not counted)");

    w.close();
    EXPECT_TRUE(rig.Adapter->Sim().At_Rest());
}

TEST(StationWindow, ClosingDuringARunStopsItThenRests)
{
    TStationRig rig(false);
    rig.Open_Slow_Window();
    ASSERT_TRUE(rig.Show_And_Search());
    TStationWindow& w = *rig.Window;
    bool closed = false;
    QTimer hand;
    QObject::connect(&hand, &QTimer::timeout, [&] {
        if (w.Busy() && !closed && w.Tile_Text(1) == "running") {
            closed = true;
            w.close();
            EXPECT_TRUE(w.isVisible()); // not before the run has returned
        }
    });
    hand.start(20);
    QTest::keyClick(&w, Qt::Key_Space);
    ASSERT_TRUE(Wait_For([&] { return !w.isVisible(); }));
    EXPECT_TRUE(closed);
    EXPECT_TRUE(w.Station().Last().Stopped);
    rig.Expect_At_Rest();
}

// SIGTERM in the middle of a run (the only case of this program that installs
// the stop signals: once per process): the window closes as its close button
// does, after the run has stopped, and the adapter is at rest.
TEST(StationWindow, AStopSignalDuringARunClosesTheWindowAtRest)
{
    TStationRig rig(false);
    rig.Open_Slow_Window();
    TStationWindow& w = *rig.Window;
    ASSERT_TRUE(Install_Station_Signal_Ends(w));
    ASSERT_TRUE(rig.Show_And_Search());
    bool signalled = false;
    QTimer hand;
    QObject::connect(&hand, &QTimer::timeout, [&] {
        if (w.Busy() && !signalled && w.Tile_Text(1) == "running") {
            signalled = true;
            std::raise(SIGTERM);
        }
    });
    hand.start(20);
    QTest::keyClick(&w, Qt::Key_Return);
    ASSERT_TRUE(Wait_For([&] { return !w.isVisible(); }));
    EXPECT_TRUE(signalled);
    EXPECT_EQ(w.Station().Runs(), 1);
    EXPECT_TRUE(w.Station().Last().Stopped);
    const std::vector<QJsonObject> records = Records(rig.Path("line3.jsonl"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0]["stopped"].toBool());
    EXPECT_TRUE(rig.Adapter->Sim().At_Rest());
}

TEST(StationWindow, NoAdapterIsTextInTheWindowAndStartStaysOff)
{
    TStationRig rig(true);
    sim::TSimOptions options;
    options.Config.Present = false;
    std::string error;
    rig.Adapter = session::TSimulatedAdapter::Make(options, error);
    rig.Window = std::make_unique<TStationWindow>(rig.Plan(), *rig.Adapter);
    ASSERT_TRUE(rig.Show_And_Search());
    TStationWindow& w = *rig.Window;
    EXPECT_FALSE(w.Found());
    EXPECT_NE(w.Status_Text().toStdString().find("The Tarvik Programmer was Not Found."),
              std::string::npos);
    EXPECT_NE(w.Status_Text().toStdString().find("Can Not"), std::string::npos)
        << w.Status_Text().toStdString();
    EXPECT_FALSE(rig.Start()->isEnabled());
    QTest::keyClick(&w, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.Busy());
    EXPECT_TRUE(Records(rig.Path("line3.jsonl")).empty());

    // The cable plugged in, Search clicked: found, Start offered, Search gone.
    QPushButton* search = w.findChild<QPushButton*>("Search");
    ASSERT_NE(search, nullptr);
    ASSERT_TRUE(search->isVisible() && search->isEnabled());
    rig.Adapter->Sim().Set_Present(true);
    QTest::mouseClick(search, Qt::LeftButton);
    ASSERT_TRUE(Wait_For([&] { return w.Searched() && !w.Busy(); }));
    EXPECT_TRUE(w.Found()) << w.Status_Text().toStdString();
    EXPECT_TRUE(rig.Start()->isEnabled());
    EXPECT_FALSE(search->isVisible());
    w.close();
}

// Each idle tile shows the serial its socket gets next; a failed chip's
// serial is void, as the command line says it.
TEST(StationWindow, IdleTilesShowTheNextSerialAndAFailedChipsIsVoid)
{
    TStationRig rig(true);
    rig.Job.Serial = session::TSerialSettings{};
    rig.Job.Serial->At = 0x1FF0;
    rig.Job.Serial->Size = 2;
    rig.Job.Serial->Start = 1000;
    rig.Job.Serial->State_Path = rig.Path("serial.json");
    rig.Window = std::make_unique<TStationWindow>(rig.Plan(), *rig.Adapter);
    ASSERT_TRUE(rig.Show_And_Search());
    TStationWindow& w = *rig.Window;
    ASSERT_TRUE(w.Found()) << w.Status_Text().toStdString();
    for (int s = 1; s <= 5; ++s)
        EXPECT_EQ(w.Tile_Text(s).toStdString(), "idle\nnext serial " + std::to_string(999 + s));
    ASSERT_TRUE(rig.Enter_And_Wait(0));
    EXPECT_EQ(w.Tile_Text(1).toStdString(), "PASS\nserial 1000");
    EXPECT_NE(w.Tile_Text(2).toStdString().find("\nserial 1001 (void)"), std::string::npos)
        << w.Tile_Text(2).toStdString();
    w.close();
}

TEST(StationWindow, AJobThatCannotBeOpenedNamesItsFileOnce)
{
    session::TStationPlan plan;
    std::string error;
    std::vector<std::string> warnings;
    const std::string path = "/nonexistent/line3.job";
    EXPECT_EQ(session::Plan_From_Job(path, "", "window", plan, error, warnings),
              session::TJob_Opening::Refused);
    EXPECT_EQ(error.find(path), 0u) << error;
    EXPECT_EQ(error.find(path, 1), std::string::npos) << error;
}

} // namespace
} // namespace gang
