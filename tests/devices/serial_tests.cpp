// Serial numbers: the bytes of each format, and a serialized station over
// the simulated adapter whose chips are read back.
#include "support/device_type.h"
#include "support/scripted_host.h"
#include "support/sim_rig.h"

#include "link/voltages.h"
#include "platform/system_file.h"
#include "session/gang_run.h"
#include "session/serial.h"
#include "session/sim/simulated_adapter.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

namespace gang::test {
namespace {

using session::TSerialFormat;

TEST(Serial, EachFormatsBytesAndTheLargestThatFits)
{
    using TBytes = std::vector<uint8_t>;
    EXPECT_EQ(*session::Serial_Bytes(1000, TSerialFormat::Le, 4), (TBytes{0xE8, 0x03, 0, 0}));
    EXPECT_EQ(*session::Serial_Bytes(1000, TSerialFormat::Be, 4), (TBytes{0, 0, 0x03, 0xE8}));
    EXPECT_EQ(*session::Serial_Bytes(1234567, TSerialFormat::Bcd, 4),
              (TBytes{0x01, 0x23, 0x45, 0x67}));
    EXPECT_EQ(*session::Serial_Bytes(1000, TSerialFormat::Dec, 6),
              (TBytes{'0', '0', '1', '0', '0', '0'}));
    EXPECT_EQ(*session::Serial_Bytes(0xBEEF, TSerialFormat::Hex, 6),
              (TBytes{'0', '0', 'B', 'E', 'E', 'F'}));
    EXPECT_EQ(*session::Serial_Bytes(UINT64_MAX, TSerialFormat::Le, 8), TBytes(8, 0xFF));
    // One past the largest of each does not fit.
    const struct {
        TSerialFormat Format;
        int Size;
        uint64_t Largest;
    } limits[] = {{TSerialFormat::Le, 1, 255},
                  {TSerialFormat::Be, 3, 0xFFFFFF},
                  {TSerialFormat::Bcd, 2, 9999},
                  {TSerialFormat::Dec, 3, 999},
                  {TSerialFormat::Hex, 2, 255}};
    for (const auto& l : limits) {
        EXPECT_EQ(session::Largest_Serial(l.Format, l.Size), l.Largest);
        EXPECT_TRUE(session::Serial_Bytes(l.Largest, l.Format, l.Size));
        EXPECT_FALSE(session::Serial_Bytes(l.Largest + 1, l.Format, l.Size));
    }
    EXPECT_EQ(session::Serial_Ranges({1006, 1000, 1001, 1003, 1004, 1005}), "1000-1001, 1003-1006");
}

struct TNo_Progress : session::IRun_Progress {
    void Step_Begins(session::TStep, int32_t, int) override {}
    void Step_Ends() override {}
};

// A station of five 27C64 with socket 3 stuck (bit 3 of address 0 reads 1),
// serials of 4 bytes at 1FF0: two runs.  The serial each passing chip holds,
// read back from it, and the state file's next serial.
struct TSerialStation {
    QTemporaryDir Dir;
    std::vector<uint64_t> Passed_Serials;
    std::vector<uint64_t> Run_2_Serials; // socket 1 to 5
    std::string State;

    explicit TSerialStation(session::TSerialFailed failed) { Run(failed); }

    void Run(session::TSerialFailed failed)
    {
        sim::TSimOptions options;
        options.Sockets.push_back({3, false, "27C64", {sim::TFaultKind::Stuck_At_1, 3, 0, -1, 0}});
        std::string error;
        const auto adapter = session::TSimulatedAdapter::Make(options, error);
        ASSERT_TRUE(adapter) << error;
        adapter->Sim().Set_Fast_Chips(true);
        TScriptedHost host;
        adapter->Sim().Set_Clock([&host] { return static_cast<double>(host.Clock_Us); });
        TRecordedReport report;
        TBuffer buffer;
        buffer.Data.fill(0xFF);
        buffer.Data[0] = 0x00;
        session::TGangSession gang(adapter->Port(), host, report, buffer);
        host.On_Tick = [&gang] { gang.Timer_Tick(); };
        ASSERT_TRUE(gang.Find_Adapter(std::nullopt, true));
        const TDeviceType& type = Type_Named("27C64");
        gang.Choose(type, 5, Default_Vpp_Code(type.Family, type.Vpp_Code));
        adapter->Fresh_Chips(type);

        session::TSerialSettings serial;
        serial.At = 0x1FF0;
        serial.Size = 4;
        serial.Format = TSerialFormat::Le;
        serial.Start = 1000;
        serial.State_Path = Dir.filePath("serial.json").toStdString();
        serial.Failed = failed;
        session::TStation station(gang, *adapter, type, session::Program_Steps(false, true), false,
                                  {}, "");
        ASSERT_TRUE(station.Use_Serials(serial, error)) << error;
        TNo_Progress progress;
        for (int run = 1; run <= 2; ++run) {
            const session::TRunRecord* record = station.Run_Next(buffer.End_Of_Eprom, progress);
            ASSERT_NE(record, nullptr) << station.Run_Error;
            for (const session::TSocketRecord& socket : record->Sockets) {
                ASSERT_TRUE(socket.Serial);
                EXPECT_EQ(socket.Passed, socket.Socket != 3);
                if (run == 2)
                    Run_2_Serials.push_back(*socket.Serial);
                if (!socket.Passed)
                    continue;
                uint64_t held = 0; // the chip's own bytes, little endian
                for (int i = 3; i >= 0; --i)
                    held = held << 8 | adapter->Sim().Chip_Byte(socket.Socket,
                                                                static_cast<uint32_t>(0x1FF0 + i));
                EXPECT_EQ(held, *socket.Serial) << "socket " << socket.Socket;
                Passed_Serials.push_back(held);
            }
        }
        gang.Rest();
        EXPECT_TRUE(adapter->Sim().At_Rest());
        QFile file(QString::fromStdString(serial.State_Path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        State = QJsonDocument::fromJson(file.readAll()).object()["next"].toString().toStdString();
    }
};

TEST(Serial, AStationSkipsAFailedChipsSerialOrHandsItToTheNextChip)
{
    const TSerialStation skip(session::TSerialFailed::Skip);
    EXPECT_EQ(skip.Passed_Serials,
              (std::vector<uint64_t>{1000, 1001, 1003, 1004, 1005, 1006, 1008, 1009}));
    EXPECT_EQ(skip.State, "1010");

    const TSerialStation reuse(session::TSerialFailed::Reuse);
    EXPECT_EQ(reuse.Run_2_Serials, (std::vector<uint64_t>{1002, 1005, 1006, 1007, 1008}));
    EXPECT_EQ(reuse.State, "1009");
}

// A state file is checked before it is trusted: each serial it returns
// once and below next, every field of its kind, numbers as decimal text.
TEST(Serial, AStateFileIsCheckedBeforeItIsTrusted)
{
    const auto what = [](const std::string& text) {
        uint64_t next = 0;
        std::vector<uint64_t> returned;
        std::string error;
        return session::Parse_Serial_State(text, next, returned, error) ? std::string("taken")
                                                                        : error;
    };
    EXPECT_EQ(what(R"({"version":1,"next":"18446744073709551615","returned":["5","3"]})"), "taken");
    EXPECT_EQ(what(R"({"version":1,"next":"100005","returned":["100000","100000","100000"]})"),
              "\"returned\" holds 100000 twice");
    EXPECT_EQ(what(R"({"version":1,"next":"100000","returned":["100000"]})"),
              "\"returned\" holds 100000, which was never handed out (\"next\" is 100000)");
    EXPECT_EQ(what(R"({"version":1,"next":"1000","returned":"x"})"),
              "\"returned\" wants a list of serials");
    EXPECT_EQ(what(R"({"version":1,"next":1000,"returned":[]})"),
              "\"next\" wants a serial in decimal digits, as text");
    EXPECT_EQ(what(R"({"version":1,"next":"18446744073709551616","returned":[]})"),
              "\"next\" wants a serial in decimal digits, as text");
    EXPECT_EQ(what(R"({"version":1,"next":"-5","returned":[]})"),
              "\"next\" wants a serial in decimal digits, as text");
    EXPECT_EQ(what(R"({"version":1,"next":"50","returned":[7]})"),
              "\"returned\" wants serials in decimal digits, as text");
    EXPECT_EQ(what(R"({"version":1e300,"next":"50","returned":[]})"), "\"version\" is not 1");
    EXPECT_EQ(what(R"({"version":1,"next":"50","returned":[],"extra":1})"),
              "\"extra\" is not a setting of a serial state");

    // Refused by Open, naming the file; nothing written.
    QTemporaryDir dir;
    session::TSerialSettings settings;
    settings.Size = 4;
    settings.State_Path = dir.filePath("s.json").toStdString();
    std::ofstream(settings.State_Path)
        << R"({"version":1,"next":"100005","returned":["100000","100000"]})";
    session::TSerialState state;
    std::string error;
    EXPECT_FALSE(state.Open(settings, error));
    EXPECT_EQ(error, settings.State_Path +
                         ": not a serial state this program can trust: \"returned\" holds 100000 "
                         "twice");
}

// The file systems whose locks cannot be trusted between machines.
TEST(Serial, AStateOnANetworkFileSystemIsNamed)
{
    EXPECT_EQ(Network_File_System_Name(0x6969), "NFS");
    EXPECT_EQ(Network_File_System_Name(0xFF534D42), "CIFS");
    EXPECT_EQ(Network_File_System_Name(0xFE534D42), "SMB2");
    EXPECT_EQ(Network_File_System_Name(0x01021994), ""); // tmpfs
    EXPECT_EQ(Network_File_System_Name(0xEF53), "");     // ext4
    QTemporaryDir dir;
    EXPECT_EQ(Network_File_System(dir.filePath("s.json").toStdString()), "");
}

// Serials beyond 2^63 are exact, and the count ends before it would wrap
// to 0 (the state could not say what comes after the largest number).
TEST(Serial, SixtyFourBitSerialsAreExactAndEndAtTheLargest)
{
    QTemporaryDir dir;
    session::TSerialSettings settings;
    settings.Size = 8;
    settings.Start = 18446744073709551613u;
    settings.State_Path = dir.filePath("s.json").toStdString();
    session::TSerialState state;
    std::string error;
    ASSERT_TRUE(state.Open(settings, error)) << error;
    EXPECT_FALSE(QFile::exists(dir.filePath("s.json"))) << "Open writes nothing";
    session::TSerialGrant grant;
    ASSERT_TRUE(state.Reserve(2, grant, error)) << error;
    EXPECT_EQ(grant.By_Socket[2], 18446744073709551614u);
    EXPECT_FALSE(state.Reserve(2, grant, error));
    EXPECT_EQ(error, "no serial after 18446744073709551615 (the largest number)");
    EXPECT_EQ(session::Serial_Ranges(
                  {18446744073709551614u, 18446744073709551615u - 1, 18446744073709551615u}),
              "18446744073709551614-18446744073709551615");
}

// Two stations of one machine on one state file, each with its own open
// state, reserving at the same time: no serial twice, none lost.
TEST(Serial, TwoStatesOnOneFileReserveUnderItsLock)
{
    QTemporaryDir dir;
    session::TSerialSettings settings;
    settings.Size = 4;
    settings.Start = 1000;
    settings.State_Path = dir.filePath("s.json").toStdString();
    constexpr int Runs = 100;
    std::vector<uint64_t> given[2];
    std::thread stations[2];
    for (int k = 0; k < 2; ++k)
        stations[k] = std::thread([&, k] {
            session::TSerialState state;
            std::string error;
            ASSERT_TRUE(state.Open(settings, error)) << error;
            for (int run = 0; run < Runs; ++run) {
                session::TSerialGrant grant;
                ASSERT_TRUE(state.Reserve(5, grant, error)) << error;
                for (int s = 1; s <= 5; ++s)
                    given[k].push_back(*grant.By_Socket[static_cast<std::size_t>(s)]);
            }
        });
    for (std::thread& station : stations)
        station.join();
    std::set<uint64_t> all(given[0].begin(), given[0].end());
    all.insert(given[1].begin(), given[1].end());
    EXPECT_EQ(all.size(), std::size_t{2 * Runs * 5});
    EXPECT_EQ(*all.begin(), 1000u);
    EXPECT_EQ(*all.rbegin(), 1000u + 2 * Runs * 5 - 1);
    // No temporary file left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"s.json", "s.json.lock"}));
}

} // namespace
} // namespace gang::test
