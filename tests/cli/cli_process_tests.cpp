// gang-adapter-cli run as a real process over the simulated adapter: exit
// statuses, per-socket results, the run record and the stop signal.
#include "../signals/trace_at_rest.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TCliResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

TCliResult Run_Cli(const QStringList& arguments)
{
    QProcess process;
    process.start(GANG_CLI_PATH, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << "gang-adapter-cli did not end";
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

class CliProcess : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Path(const char* name) const { return Dir.filePath(name); }

    static void Write_File(const QString& path, const std::string& text)
    {
        std::ofstream(path.toStdString(), std::ios::binary) << text;
    }

    // The report's only line as a JSON object.
    QJsonObject Record(const QString& path) const
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        EXPECT_EQ(lines.size(), 2) << "one line per run, ended by a line end";
        return QJsonDocument::fromJson(lines.first()).object();
    }
};

// An Intel hex image for an 8 KiB device: a few bytes at 0000, 0100 and 1FF0.
const char* const Image_Hex = ":04000000DEADBEEFC4\r\n"
                              ":01010000A559\r\n"
                              ":021FF0001234A9\r\n"
                              ":00000001FF\r\n";

TEST_F(CliProcess, ProgramsAGangOfThreeAndRecordsTheRun)
{
    Write_File(Path("image.hex"), Image_Hex);
    const TCliResult run = Run_Cli({"--sim", "--fast", "program", "--type", "28c64", "--gang", "3",
                                    "--report", Path("runs.jsonl"), Path("image.hex")});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("3- Verified OK"), std::string::npos) << run.Out;

    const QJsonObject record = Record(Path("runs.jsonl"));
    EXPECT_EQ(record["type"].toString(), "28C64");
    EXPECT_EQ(record["gang"].toInt(), 3);
    EXPECT_EQ(record["adapter"].toString(), "sim");
    EXPECT_EQ(record["voltage"].toString(), "5");
    EXPECT_FALSE(record["host"].toString().isEmpty());
    EXPECT_FALSE(record["version"].toString().isEmpty());
    EXPECT_TRUE(record["start"].toString().endsWith('Z'));
    EXPECT_TRUE(record["end"].toString().endsWith('Z'));
    EXPECT_FALSE(record["stopped"].toBool());
    // DE+AD+BE+EF + A5 + 12+34 = 0x423
    EXPECT_EQ(record["checksum"].toString(), "0423");

    QFile image(Path("image.hex"));
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    const QJsonObject file = record["file"].toObject();
    EXPECT_EQ(file["format"].toString(), "intel");
    EXPECT_EQ(file["size"].toInt(), image.size());
    EXPECT_EQ(file["sha256"].toString(),
              QCryptographicHash::hash(image.readAll(), QCryptographicHash::Sha256).toHex());

    const QJsonArray steps = record["steps"].toArray();
    ASSERT_EQ(steps.size(), 2);
    EXPECT_EQ(steps[0].toObject()["step"].toString(), "program");
    EXPECT_EQ(steps[1].toObject()["step"].toString(), "verify");
    EXPECT_GE(steps[0].toObject()["seconds"].toDouble(), 0.0);

    const QJsonArray sockets = record["sockets"].toArray();
    ASSERT_EQ(sockets.size(), 3);
    for (const QJsonValue& socket : sockets)
        EXPECT_TRUE(socket.toObject()["passed"].toBool())
            << socket.toObject()["result"].toString().toStdString();
}

TEST_F(CliProcess, AStuckBitFailsOnlyItsSocketWithTheAddress)
{
    Write_File(Path("image.hex"), Image_Hex);
    const TCliResult run =
        Run_Cli({"--sim", "--fast", "--socket", "2=28C64,stuck1:3@0100", "program", "--type",
                 "28C64", "--gang", "3", "--report", Path("runs.jsonl"), Path("image.hex")});
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_NE(run.Out.find("2-Not Programmed at 0100: expected A5, read AD\n"), std::string::npos)
        << run.Out;

    const QJsonArray sockets = Record(Path("runs.jsonl"))["sockets"].toArray();
    ASSERT_EQ(sockets.size(), 3);
    EXPECT_TRUE(sockets[0].toObject()["passed"].toBool());
    EXPECT_FALSE(sockets[1].toObject()["passed"].toBool());
    EXPECT_EQ(sockets[1].toObject()["result"].toString(), "2-Not Programmed");
    EXPECT_EQ(sockets[1].toObject()["address"].toString(), "0100");
    EXPECT_EQ(sockets[1].toObject()["expected"].toString(), "A5");
    EXPECT_EQ(sockets[1].toObject()["actual"].toString(), "AD");
    EXPECT_TRUE(sockets[2].toObject()["passed"].toBool());
}

TEST_F(CliProcess, EndsWithItsOwnStatusWhenNoAdapterOrNoFile)
{
    const TCliResult none = Run_Cli({"--sim", "--base", "none", "blank", "--type", "27C16"});
    EXPECT_EQ(none.Status, 3) << none.Err;

    Write_File(Path("bad.hex"), ":1G0000000000\r\n");
    const TCliResult bad = Run_Cli({"--sim", "verify", "--type", "27C16", Path("bad.hex")});
    EXPECT_EQ(bad.Status, 4);
    EXPECT_NE(bad.Err.find("'$1G' is not a valid integer value."), std::string::npos) << bad.Err;

    const TCliResult usage = Run_Cli({"--sim", "program", "--type", "27C16", "--gang", "6", "x"});
    EXPECT_EQ(usage.Status, 2);
    EXPECT_NE(usage.Err.find("Usage:"), std::string::npos);
}

TEST_F(CliProcess, ReadThenVerifyRoundTrip)
{
    // A chip whose bit 2 at 0010 reads 0: the image read holds FB there.
    const QStringList faulty = {"--sim", "--socket", "1=27C16,stuck0:2@0010"};
    ASSERT_EQ(Run_Cli(faulty + QStringList{"read", "--type", "27C16", Path("chip.bin")}).Status, 0);
    QFile chip(Path("chip.bin"));
    ASSERT_TRUE(chip.open(QIODevice::ReadOnly));
    const QByteArray bytes = chip.readAll();
    ASSERT_EQ(bytes.size(), 0x800);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0x10]), 0xFB);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0x11]), 0xFF);

    EXPECT_EQ(Run_Cli(faulty + QStringList{"verify", "--type", "27C16", Path("chip.bin")}).Status,
              0);
    const TCliResult fresh = Run_Cli({"--sim", "verify", "--type", "27C16", Path("chip.bin")});
    EXPECT_EQ(fresh.Status, 1);
    EXPECT_NE(fresh.Out.find("1-Didn't Verify"), std::string::npos) << fresh.Out;
}

TEST_F(CliProcess, SigintStopsTheRunAndLeavesTheAdapterAtRest)
{
    Write_File(Path("image.hex"), ":0100000000FF\r\n:00000001FF\r\n");
    QProcess process;
    process.start(GANG_CLI_PATH, {"--sim", "--trace", Path("trace.txt"), "program", "--type",
                                  "27C512", "--report", Path("runs.jsonl"), Path("image.hex")});
    ASSERT_TRUE(process.waitForStarted());
    // The first progress line, then a moment: the programming is under way.
    process.setReadChannel(QProcess::StandardError);
    std::string err;
    while (err.find("program  0000") == std::string::npos) {
        ASSERT_TRUE(process.waitForReadyRead(60000)) << err;
        err += process.readAllStandardError().toStdString();
    }
    ASSERT_FALSE(process.waitForFinished(300));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_TRUE(Record(Path("runs.jsonl"))["stopped"].toBool());

    gang::Expect_Trace_Ends_At_Rest(Path("trace.txt").toStdString(), 0x378);
}

} // namespace
