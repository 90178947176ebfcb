// gang-adapter-cli run as a real process over the simulated adapter: exit
// statuses, per-socket results, the run record and the stop signal; the
// real programs over the ppdev backend, with the kernel's ports answered by
// the simulated adapter (the LD_PRELOAD shim of tests/ppdev_shim); and the
// capabilities a program with CAP_SYS_RAWIO keeps once it runs.
#include "../signals/trace_at_rest.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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

    // A station answered Enter twice: returns once the second run programs
    // (its progress on stderr, collected into err).
    static void Enter_Until_Run_2_Programs(QProcess& station, std::string& err)
    {
        station.setReadChannel(QProcess::StandardError);
        for (const char* prompt : {"run 1:", "run 2:"}) {
            while (err.find(prompt) == std::string::npos) {
                ASSERT_TRUE(station.waitForReadyRead(60000)) << err;
                err += station.readAllStandardError().toStdString();
            }
            station.write("\n");
        }
        while (err.find("program  0000", err.find("run 2:")) == std::string::npos) {
            ASSERT_TRUE(station.waitForReadyRead(60000)) << err;
            err += station.readAllStandardError().toStdString();
        }
    }

    // The environment with the socket wear ($XDG_STATE_HOME) in the test's
    // folder.
    QProcessEnvironment State_Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_STATE_HOME", Path("state"));
        return env;
    }

    // gang-adapter-cli with that input, its socket wear in the test's folder.
    TCliResult Run_With_Input(const QStringList& arguments, const QByteArray& input) const
    {
        QProcess process;
        process.setProcessEnvironment(State_Environment());
        process.start(GANG_CLI_PATH, arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(120000)) << "gang-adapter-cli did not end";
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    // The lines of a records file, each as a JSON object.
    static std::vector<QJsonObject> Records(const QString& path)
    {
        std::ifstream file(path.toStdString());
        std::vector<QJsonObject> records;
        for (std::string line; std::getline(file, line);)
            records.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
        return records;
    }

    // An 8 KiB image (a 27C64's) and a job of it in jobs/line3.job, made
    // with the extra options.
    QString Make_Job(const QStringList& extra)
    {
        std::string image(0x2000, '\xFF');
        image[0x100] = '\xA5';
        Write_File(Path("image.bin"), image);
        std::filesystem::create_directory(Path("jobs").toStdString());
        // Made in the test's folder with relative paths, as an engineer
        // would: the job keeps the image's path relative to its own folder.
        QProcess made;
        made.setWorkingDirectory(Dir.path());
        made.start(GANG_CLI_PATH, QStringList{"job", "new", "--type", "27C64", "--gang", "2"} +
                                      extra + QStringList{"image.bin", "-o", "jobs/line3.job"});
        EXPECT_TRUE(made.waitForFinished(60000));
        EXPECT_EQ(made.exitCode(), 0) << made.readAllStandardError().toStdString();
        const QString job = Path("jobs/line3.job");
        return job;
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
    // DE+AD+BE+EF + A5 + 12+34 = 0x423, and FF at the 1FF9 addresses the
    // file leaves blank: 0x423 + 0x1FF9 x 0xFF = 0x1FDD2A.
    EXPECT_EQ(record["checksum"].toString(), "DD2A");

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

TEST_F(CliProcess, AWriteProtectedEepromIsUnlockedUnlessKept)
{
    Write_File(Path("image.hex"), Image_Hex);
    const QStringList locked = {"--sim", "--fast", "--socket", "2=28C256,sdp"};
    const QStringList program = {"program", "--type",   "28C256",           "--gang",
                                 "3",       "--report", Path("runs.jsonl"), Path("image.hex")};
    // The default unlocks; the verify step finds socket 2 equal to the image.
    const TCliResult unlocked = Run_Cli(locked + program);
    EXPECT_EQ(unlocked.Status, 0) << unlocked.Out << unlocked.Err;
    EXPECT_NE(unlocked.Out.find("2- Verified OK"), std::string::npos) << unlocked.Out;
    EXPECT_EQ(Record(Path("runs.jsonl"))["sdp"].toString(), "unlock");

    QFile::remove(Path("runs.jsonl"));
    const TCliResult kept = Run_Cli(locked + program + QStringList{"--sdp", "keep"});
    EXPECT_EQ(kept.Status, 1);
    EXPECT_NE(kept.Out.find("2-Not Programmed at 0000: expected DE, read FF"), std::string::npos)
        << kept.Out;
    EXPECT_NE(kept.Err.find("socket 2: no write took: is the chip protected? try --sdp unlock"),
              std::string::npos)
        << kept.Err;
    EXPECT_EQ(kept.Err.find("socket 1:"), std::string::npos) << kept.Err;
    // Read once more, the protected chip shows that nothing reached it.
    EXPECT_NE(kept.Out.find("read FF\n  no byte took\n  7 bytes differ\n"), std::string::npos)
        << kept.Out;
    const QJsonObject record = Record(Path("runs.jsonl"));
    EXPECT_EQ(record["sdp"].toString(), "keep");
    EXPECT_TRUE(record["sockets"][1].toObject()["diagnosis"].toObject()["no_byte_took"].toBool());
}

// Two sockets with a line held at a level, each read once more after the
// run: D5 held high fails the first byte with a 0 there and is named with
// the bytes that show it; A7 held low programs every byte (they land in the
// lower half) and fails verify, and the line explains every byte read.
TEST_F(CliProcess, AFailedSocketIsReadAgainAndItsHeldLineNamed)
{
    std::string image(0x2000, '\xFF');
    image.replace(0, 4, "\xDE\xAD\xBE\xEF");
    image[0x100] = '\xA5';
    image[0x200] = '\x12';
    Write_File(Path("image.bin"), image);
    const QStringList run = {"--sim",
                             "--fast",
                             "--socket",
                             "2=27C64,data1:5",
                             "--socket",
                             "3=27C64,addr0:7",
                             "program",
                             "--type",
                             "27C64",
                             "--gang",
                             "3",
                             "--report",
                             Path("runs.jsonl"),
                             Path("image.bin")};
    const TCliResult diagnosed = Run_Cli(run);
    EXPECT_EQ(diagnosed.Status, 1) << diagnosed.Err;
    EXPECT_NE(diagnosed.Out.find("1- Verified OK\n2-Not Programmed at 0000: expected DE, read FE\n"
                                 "  bit 5 stuck at 1 in 2 of 6 differences\n"
                                 "  6 bytes differ\n"
                                 "  0000: expected DE, read FE\n"),
              std::string::npos)
        << diagnosed.Out;
    EXPECT_NE(diagnosed.Out.find("3-Didn't Verify at 0080: expected FF, read DE\n"
                                 "  address line A7 stuck at 0 explains all 6 differences\n"),
              std::string::npos)
        << diagnosed.Out;
    // Each step's progress line ends at 100 %, once: a diagnosis per
    // failed socket, each named.
    for (const char* end : {"program  1FFF/1FFF  100%", "verify  1FFF/1FFF  100%",
                            "diagnose 2  1FFF/1FFF  100%", "diagnose 3  1FFF/1FFF  100%"}) {
        const std::size_t at = diagnosed.Err.find(end);
        EXPECT_NE(at, std::string::npos) << end << "\n" << diagnosed.Err;
        EXPECT_EQ(diagnosed.Err.find(end, at + 1), std::string::npos) << end;
    }

    const QJsonObject record = Record(Path("runs.jsonl"));
    const QJsonArray steps = record["steps"].toArray();
    ASSERT_EQ(steps.size(), 3);
    EXPECT_EQ(steps[2].toObject()["step"].toString(), "diagnose");
    EXPECT_GE(steps[2].toObject()["seconds"].toDouble(), 0.0);
    const QJsonArray sockets = record["sockets"].toArray();
    ASSERT_EQ(sockets.size(), 3);
    EXPECT_FALSE(sockets[0].toObject().contains("diagnosis")); // a chip that passed
    const QJsonObject bit = sockets[1].toObject()["diagnosis"].toObject();
    EXPECT_EQ(bit["differences"].toInt(), 6);
    EXPECT_EQ(bit["first"][0].toObject(),
              (QJsonObject{{"address", "0000"}, {"expected", "DE"}, {"actual", "FE"}}));
    EXPECT_EQ(bit["bits"].toArray(),
              (QJsonArray{QJsonObject{{"bit", 5}, {"stuck_at", 1}, {"count", 2}}}));
    EXPECT_FALSE(bit.contains("address_line"));
    EXPECT_EQ(bit["text"][0].toString(), "bit 5 stuck at 1 in 2 of 6 differences");
    const QJsonObject line = sockets[2].toObject()["diagnosis"].toObject();
    EXPECT_EQ(line["address_line"].toObject(), (QJsonObject{{"line", 7}, {"stuck_at", 0}}));

    QFile::remove(Path("runs.jsonl"));
    const TCliResult plain = Run_Cli(run + QStringList{"--no-diagnose"});
    EXPECT_EQ(plain.Status, 1);
    EXPECT_EQ(plain.Out.find("stuck"), std::string::npos) << plain.Out;
    EXPECT_EQ(Record(Path("runs.jsonl"))["steps"].toArray().size(), 2);
}

TEST_F(CliProcess, EndsWithItsOwnStatusWhenNoAdapterOrNoFile)
{
    const TCliResult none = Run_Cli({"--sim", "--base", "none", "blank", "--type", "27C16"});
    EXPECT_EQ(none.Status, 3) << none.Err;

    Write_File(Path("bad.hex"), ":0100000011EE\r\n:1G0000000000\r\n");
    const TCliResult bad = Run_Cli({"--sim", "verify", "--type", "27C16", Path("bad.hex")});
    EXPECT_EQ(bad.Status, 4);
    EXPECT_EQ(bad.Err, "gang-adapter-cli: " + Path("bad.hex").toStdString() +
                           ":2: '$1G' is not a valid integer value.\n");

    // A usage error is its line and where to find help, nothing more.
    const TCliResult usage = Run_Cli({"--sim", "program", "--type", "27C16", "--gang", "6", "x"});
    EXPECT_EQ(usage.Status, 2);
    EXPECT_EQ(usage.Err, "gang-adapter-cli: --gang wants 1 to 5, not '6'\n"
                         "Try 'gang-adapter-cli --help'.\n");
}

// A record with a wrong checksum refuses the file with its line; with
// --ignore-checksums it is programmed, and the record says so.
TEST_F(CliProcess, AWrongChecksumIsRefusedUnlessIgnored)
{
    Write_File(Path("fw.hex"), ":0100000011EE\r\n:0100010022DD\r\n:00000001FF\r\n");
    const TCliResult refused =
        Run_Cli({"--sim", "--fast", "program", "--type", "27C16", Path("fw.hex")});
    EXPECT_EQ(refused.Status, 4);
    EXPECT_EQ(refused.Err, "gang-adapter-cli: " + Path("fw.hex").toStdString() +
                               ":2: record checksum DD, computed DC.\n");

    const TCliResult ignored =
        Run_Cli({"--sim", "--fast", "program", "--type", "27C16", "--ignore-checksums", "--quiet",
                 "--report", Path("runs.jsonl"), Path("fw.hex")});
    ASSERT_EQ(ignored.Status, 0) << ignored.Err;
    EXPECT_EQ(Record(Path("runs.jsonl"))["file"].toObject()["checksums"].toString(), "ignored");
}

// A ROM based at 8000: its Intel hex file loads into a 2716 at --offset
// -8000; without it, the bytes past the end are an error naming them.  Most
// bytes are FF, so that programming is quick.
TEST_F(CliProcess, ANegativeOffsetLoadsARomBasedAt8000)
{
    std::string hex;
    uint32_t sum = 0;
    for (int address = 0x8000; address < 0x8800; address += 16) {
        uint8_t record[20] = {16, static_cast<uint8_t>(address >> 8),
                              static_cast<uint8_t>(address & 0xFF), 0};
        for (int i = 0; i < 16; ++i) {
            record[4 + i] =
                i == 0 && address % 0x100 == 0 ? static_cast<uint8_t>(address >> 8) : 0xFF;
            sum += record[4 + i];
        }
        uint8_t check = 0;
        for (uint8_t byte : record)
            check = static_cast<uint8_t>(check - byte);
        hex +=
            ":" +
            QByteArray(reinterpret_cast<const char*>(record), 20).toHex().toUpper().toStdString() +
            QByteArray(1, static_cast<char>(check)).toHex().toUpper().toStdString() + "\r\n";
    }
    Write_File(Path("rom.hex"), hex + ":00000001FF\r\n");

    const TCliResult as_is = Run_Cli({"checksum", "--type", "2716", Path("rom.hex")});
    EXPECT_EQ(as_is.Status, 2);
    EXPECT_NE(as_is.Err.find("2048 bytes beyond the end of the 2716 (07FF), the first at "
                             "8000: 8000-87FF"),
              std::string::npos)
        << as_is.Err;
    EXPECT_NE(as_is.Err.find("--offset -8000 it fits"), std::string::npos) << as_is.Err;

    const TCliResult sum_run =
        Run_Cli({"checksum", "--type", "2716", "--offset", "-8000", Path("rom.hex")});
    ASSERT_EQ(sum_run.Status, 0) << sum_run.Err;
    char expected[24];
    std::snprintf(expected, sizeof expected, "CheckSum=%04X\n", sum & 0xFFFF);
    EXPECT_EQ(sum_run.Out, expected);
    EXPECT_EQ(sum_run.Err, "") << "the image fills the device";

    const TCliResult burnt = Run_Cli({"--sim", "--fast", "--socket", "1=2716", "program", "--type",
                                      "2716", "--offset", "-8000", Path("rom.hex")});
    EXPECT_EQ(burnt.Status, 0) << burnt.Err;
    EXPECT_NE(burnt.Out.find("1- Verified OK"), std::string::npos) << burnt.Out;
}

// A file longer than the device stops with status 2 before the adapter is
// touched, unless truncating; a shorter one is programmed, the rest left FF
// and named once.
TEST_F(CliProcess, AFileBiggerOrSmallerThanTheDeviceIsNamed)
{
    Write_File(Path("big.bin"), std::string(0x900, '\x5A'));
    const QStringList program = {"--sim",   "--fast", "--trace", Path("trace.txt"),
                                 "program", "--type", "2716"};
    const TCliResult big = Run_Cli(program + QStringList{Path("big.bin")});
    EXPECT_EQ(big.Status, 2);
    EXPECT_NE(big.Err.find("256 bytes beyond the end of the 2716 (07FF), the first at 0800: "
                           "0800-08FF"),
              std::string::npos)
        << big.Err;
    EXPECT_FALSE(QFile::exists(Path("trace.txt"))) << "the adapter was touched";

    const TCliResult cut =
        Run_Cli({"checksum", "--type", "2716", "--allow-truncate", Path("big.bin")});
    EXPECT_EQ(cut.Status, 0) << cut.Err;
    EXPECT_EQ(cut.Out, "CheckSum=D000\n"); // 0x800 x 5A
    EXPECT_NE(cut.Err.find("warning: " + Path("big.bin").toStdString() + ": 256 bytes beyond"),
              std::string::npos)
        << cut.Err;

    Write_File(Path("small.bin"), std::string(0x10, '\x00'));
    const TCliResult small = Run_Cli(program + QStringList{Path("small.bin")});
    EXPECT_EQ(small.Status, 0) << small.Err;
    EXPECT_NE(small.Out.find("1- Verified OK"), std::string::npos) << small.Out;
    const std::string warning = "gang-adapter-cli: warning: " + Path("small.bin").toStdString() +
                                " leaves 0010-07FF of the 2716 FF (2032 bytes)\n";
    const auto at = small.Err.find(warning);
    ASSERT_NE(at, std::string::npos) << small.Err;
    EXPECT_EQ(small.Err.find("warning", at + warning.size()), std::string::npos) << small.Err;
}

TEST_F(CliProcess, ImageInfoNamesEachChecksum)
{
    Write_File(Path("check.bin"), "123456789");
    const TCliResult info = Run_Cli({"image", "info", Path("check.bin")});
    ASSERT_EQ(info.Status, 0) << info.Err;
    for (const char* line :
         {"format    bin\n", "data      0000-0008\n", "sum16     01DD ", "crc32     CBF43926 ",
          "CRC-32/IEEE",
          "sha256    15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225\n"})
        EXPECT_NE(info.Out.find(line), std::string::npos) << line << "\n" << info.Out;

    // A text file's kind comes from its content: S-records saved as .Hex.
    Write_File(Path("outm.Hex"), "S1050010ABCD72\r\nS804000000FB\r\n");
    const TCliResult srec = Run_Cli({"image", "info", Path("outm.Hex")});
    ASSERT_EQ(srec.Status, 0) << srec.Err;
    EXPECT_NE(srec.Out.find("format    motorola\n"), std::string::npos) << srec.Out;
}

// A 16-bit board's image in even and odd bytes and back, byte for byte.
TEST_F(CliProcess, SplitThenMergeGivesBackTheImage)
{
    std::mt19937 random(28);
    std::string image(0x10000, '\0');
    for (char& byte : image)
        byte = static_cast<char>(random());
    Write_File(Path("image.bin"), image);
    const TCliResult split = Run_Cli({"image", "split", Path("image.bin"), "--even",
                                      Path("even.bin"), "--odd", Path("odd.bin")});
    ASSERT_EQ(split.Status, 0) << split.Err;
    QFile even(Path("even.bin"));
    ASSERT_TRUE(even.open(QIODevice::ReadOnly));
    const QByteArray evens = even.readAll();
    ASSERT_EQ(evens.size(), 0x8000);
    EXPECT_EQ(evens[0x1234], image[0x2468]);

    const TCliResult merge = Run_Cli({"image", "merge", "--even", Path("even.bin"), "--odd",
                                      Path("odd.bin"), "-o", Path("merged.bin")});
    ASSERT_EQ(merge.Status, 0) << merge.Err;
    QFile merged(Path("merged.bin"));
    ASSERT_TRUE(merged.open(QIODevice::ReadOnly));
    EXPECT_TRUE(merged.readAll().toStdString() == image);

    const TCliResult swap = Run_Cli({"image", "swap", Path("image.bin"), "-o", Path("swap.bin")});
    ASSERT_EQ(swap.Status, 0) << swap.Err;
    QFile swapped(Path("swap.bin"));
    ASSERT_TRUE(swapped.open(QIODevice::ReadOnly));
    const QByteArray pairs = swapped.readAll();
    ASSERT_EQ(pairs.size(), 0x10000);
    EXPECT_EQ(pairs[0x100], image[0x101]);
    EXPECT_EQ(pairs[0x101], image[0x100]);

    Write_File(Path("short.bin"), image.substr(0, 0x7FFF));
    const TCliResult unequal = Run_Cli({"image", "merge", "--even", Path("even.bin"), "--odd",
                                        Path("short.bin"), "-o", Path("bad.bin")});
    EXPECT_EQ(unequal.Status, 2);
    EXPECT_NE(unequal.Err.find("the halves differ in length"), std::string::npos) << unequal.Err;
    EXPECT_FALSE(QFile::exists(Path("bad.bin")));
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
    // A verify checks a serial, it gives none: never "(void)".
    const QStringList serial = {"--serial-at", "0011", "--serial-size", "1", "--serial-start"};
    const TCliResult checked = Run_Cli(faulty + QStringList{"verify", "--type", "27C16"} + serial +
                                       QStringList{"255", Path("chip.bin")});
    EXPECT_NE(checked.Out.find("1- Verified OK  serial 255\n"), std::string::npos) << checked.Out;
    const TCliResult other = Run_Cli(faulty + QStringList{"verify", "--type", "27C16"} + serial +
                                     QStringList{"98", Path("chip.bin")});
    EXPECT_NE(other.Out.find("serial 98 (not verified)"), std::string::npos) << other.Out;
}

TEST_F(CliProcess, SigintStopsTheRunAndLeavesTheAdapterAtRest)
{
    // 00 everywhere: every address takes pulses (an address left FF takes
    // none), so the run is long.
    Write_File(Path("image.bin"), std::string(0x10000, '\0'));
    QProcess process;
    process.start(GANG_CLI_PATH,
                  {"--sim", "--trace", Path("trace.txt"), "program", "--type", "27C512", "--gang",
                   "3", "--report", Path("runs.jsonl"), Path("image.bin")});
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
    const QJsonObject record = Record(Path("runs.jsonl"));
    EXPECT_TRUE(record["stopped"].toBool());
    // No chip of a stopped run reads as good: each did not finish.
    ASSERT_EQ(record["sockets"].toArray().size(), 3);
    for (const auto& value : record["sockets"].toArray()) {
        const QJsonObject socket = value.toObject();
        EXPECT_EQ(socket["kind"].toString(), "stopped");
        EXPECT_FALSE(socket["passed"].toBool());
        EXPECT_FALSE(socket["result"].toString().contains("OK"))
            << socket["result"].toString().toStdString();
    }

    gang::Expect_Trace_Ends_At_Rest(Path("trace.txt").toStdString(), 0x378);
}

// The production station: three gangs and q from a pipe, a socket that
// always fails, the tally and the summary read back; then Ctrl+C in the
// middle of the second gang.
TEST_F(CliProcess, StationCountsALotAndEndsOnQOrCtrlC)
{
    std::string image(0x2000, '\xFF');
    image[0x100] = '\xA5';
    Write_File(Path("image.bin"), image);
    QProcess station;
    station.setProcessEnvironment(State_Environment()); // its socket wear kept in the test's folder
    station.start(GANG_CLI_PATH, {"--sim", "--fast", "--socket", "2=27C64,stuck1:3@0100", "station",
                                  "program", "--type", "27C64", "--gang", "3", "--lot", "L2412",
                                  "--report", Path("runs.jsonl"), Path("image.bin")});
    station.write("\n\n\nq\n");
    station.closeWriteChannel();
    ASSERT_TRUE(station.waitForFinished(120000));
    const std::string out = station.readAllStandardOutput().toStdString();
    EXPECT_EQ(station.exitCode(), 1) << out;
    EXPECT_NE(out.find("1 PASS\n2 FAIL Not Programmed at 0100: expected A5, read AD\n"
                       "  bit 3 stuck at 1 in 1 of 1 difference\n"
                       "  1 byte differs\n"
                       "  0100: expected A5, read AD\n3 PASS\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("lot L2412: 6 of 9 chips passed (66.7 %), 3 runs"), std::string::npos)
        << out;
    std::ifstream records(Path("runs.jsonl").toStdString());
    std::string line;
    for (int sequence = 1; std::getline(records, line); ++sequence) {
        const QJsonObject record =
            QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        EXPECT_EQ(record["sequence"].toInt(), sequence);
        EXPECT_EQ(record["lot"].toString(), "L2412");
    }
    std::ofstream(Path("runs.jsonl").toStdString(), std::ios::app) << "not a record\n";
    const TCliResult summary = Run_Cli({"summary", "--lot", "L2412", Path("runs.jsonl")});
    EXPECT_EQ(summary.Status, 0);
    for (const char* figure :
         {"runs     3\n", "6 of 9 chips passed (66.7 %)", "Not Programmed 3",
          "address 0100 failed 3 times, socket 2\n", "1 record not read, line 4"})
        EXPECT_NE(summary.Out.find(figure), std::string::npos) << figure << "\n" << summary.Out;
    // No run read is no success: a lot that is not there, a file of garbage.
    const TCliResult nope = Run_Cli({"summary", "--lot", "NOPE", Path("runs.jsonl")});
    EXPECT_EQ(nope.Status, 1);
    EXPECT_NE(nope.Err.find("no runs of lot NOPE"), std::string::npos) << nope.Err;
    Write_File(Path("garbage.jsonl"), "not a record\n{\"sockets\": 3\n");
    EXPECT_EQ(Run_Cli({"summary", Path("garbage.jsonl")}).Status, 1);

    // Ctrl+C in the second gang: that run stopped, the station ended.
    std::fill(image.begin(), image.begin() + 0x400, '\0');
    Write_File(Path("image.bin"), image);
    QProcess stopped;
    stopped.setProcessEnvironment(State_Environment());
    stopped.start(GANG_CLI_PATH,
                  {"--sim", "--trace", Path("trace.txt"), "station", "program", "--type", "27C64",
                   "--lot", "L2", "--report", Path("stopped.jsonl"), Path("image.bin")});
    stopped.setReadChannel(QProcess::StandardError);
    std::string err;
    Enter_Until_Run_2_Programs(stopped, err);
    ::kill(static_cast<pid_t>(stopped.processId()), SIGINT);
    ASSERT_TRUE(stopped.waitForFinished(5000));
    EXPECT_EQ(stopped.exitCode(), 130);
    std::ifstream two(Path("stopped.jsonl").toStdString());
    std::vector<QJsonObject> runs;
    while (std::getline(two, line))
        runs.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_FALSE(runs[0]["stopped"].toBool());
    EXPECT_TRUE(runs[1]["stopped"].toBool());
    gang::Expect_Trace_Ends_At_Rest(Path("trace.txt").toStdString(), 0x378);
}

// A serialized station killed in the middle of its second run: started
// again, it hands out serials after every one reserved before the kill.
TEST_F(CliProcess, ASerialIsNeverGivenTwiceAcrossAKill)
{
    std::string image(0x2000, '\xFF');
    std::fill(image.begin(), image.begin() + 0x200, '\0');
    Write_File(Path("image.bin"), image);
    const QStringList station = {"--sim",
                                 "station",
                                 "program",
                                 "--type",
                                 "27C64",
                                 "--gang",
                                 "2",
                                 "--lot",
                                 "L7",
                                 "--serial-at",
                                 "1FF0",
                                 "--serial-size",
                                 "4",
                                 "--serial-format",
                                 "le",
                                 "--serial-start",
                                 "1000",
                                 "--serial-state",
                                 Path("serial.json"),
                                 "--report",
                                 Path("runs.jsonl"),
                                 Path("image.bin")};
    // A start that does not fit is refused before anything is programmed.
    QStringList too_large = station;
    too_large[too_large.indexOf("4")] = "1";
    const TCliResult refused = Run_Cli(too_large);
    EXPECT_EQ(refused.Status, 2);
    EXPECT_NE(refused.Err.find("serial 1000 does not fit 1 byte(s) of le: the largest that fits is "
                               "255"),
              std::string::npos)
        << refused.Err;

    QProcess killed;
    killed.start(GANG_CLI_PATH, station);
    killed.setReadChannel(QProcess::StandardError);
    std::string err;
    Enter_Until_Run_2_Programs(killed, err);
    ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(5000));
    const std::string first = killed.readAllStandardOutput().toStdString();
    EXPECT_NE(first.find("1 PASS  serial 1000\n2 PASS  serial 1001\n"), std::string::npos) << first;

    QProcess again;
    again.start(GANG_CLI_PATH, station);
    again.write("\nq\n");
    again.closeWriteChannel();
    ASSERT_TRUE(again.waitForFinished(60000));
    const std::string out = again.readAllStandardOutput().toStdString();
    EXPECT_EQ(again.exitCode(), 0) << out;
    EXPECT_NE(again.readAllStandardError().toStdString().find("next serial 1004 from "),
              std::string::npos);
    EXPECT_NE(out.find("1 PASS  serial 1004\n2 PASS  serial 1005\n"), std::string::npos) << out;
    // The lot goes on from run 1: the killed run 2 left its gap.
    EXPECT_NE(out.find("serials  1000-1001, 1004-1005"), std::string::npos) << out;
    // Each socket's record: its serial and the sum of its own bytes.
    std::ifstream records(Path("runs.jsonl").toStdString());
    std::string line;
    QJsonObject last;
    while (std::getline(records, line))
        last = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    const QJsonArray sockets = last["sockets"].toArray();
    ASSERT_EQ(sockets.size(), 2);
    EXPECT_EQ(sockets[1].toObject()["serial"].toString(), "1005");
    EXPECT_NE(sockets[0].toObject()["checksum"], sockets[1].toObject()["checksum"]);
    EXPECT_EQ(last["serial"].toObject()["first"].toString(), "1004");
    EXPECT_EQ(last["serial"].toObject()["format"].toString(), "le");
}

// An 8 KiB image whose first zeros bytes take pulses: a run long enough to
// act in the middle of (about 1.2 s per socket for 0x100).
std::string Slow_Image(int zeros = 0x200)
{
    std::string image(0x2000, '\xFF');
    std::fill(image.begin(), image.begin() + zeros, '\0');
    return image;
}

// A serialized station of five 27C64 on the simulated adapter at base.
QStringList Serial_Station(const QString& base, const QString& state, const QString& records,
                           const QString& image)
{
    return {"--sim", "--base",         base,  "station",         "program", "--type",
            "27C64", "--gang",         "5",   "--lot",           "L5",      "--serial-at",
            "1FF0",  "--serial-size",  "4",   "--serial-format", "le",      "--serial-start",
            "1000",  "--serial-state", state, "--report",        records,   image};
}

// A station driven from its prompts: Enter for each run wanted, then q;
// with kill_in, SIGKILL in the middle of that run's programming.
struct TDriven {
    QProcess Process;
    std::string Err;
    int Answered = 0;
    int Runs = 0;
    int Kill_In = 0;
    bool Killed = false;

    void Start(const QStringList& arguments, const QProcessEnvironment& env)
    {
        Process.setProcessEnvironment(env);
        Process.start(GANG_CLI_PATH, arguments);
        Process.setReadChannel(QProcess::StandardError);
    }
    // Reads what came and answers; false once it has ended.
    bool Step()
    {
        if (Process.state() == QProcess::NotRunning)
            return false;
        Process.waitForReadyRead(20);
        Err += Process.readAllStandardError().toStdString();
        std::size_t prompts = 0;
        std::size_t last = std::string::npos;
        for (auto at = Err.find("(q to finish)"); at != std::string::npos;
             at = Err.find("(q to finish)", at + 1)) {
            ++prompts;
            last = at;
        }
        if (Kill_In > 0 && Answered == Kill_In && !Killed &&
            Err.find("program  0", last) != std::string::npos) {
            ::kill(static_cast<pid_t>(Process.processId()), SIGKILL);
            Killed = true;
            Process.waitForFinished(10000);
            return false;
        }
        while (!Killed && static_cast<std::size_t>(Answered) < prompts) {
            ++Answered;
            if (Answered <= Runs) {
                Process.write("\n");
            } else {
                Process.write("q\n");
                Process.closeWriteChannel();
            }
        }
        return true;
    }
};

// The serials of every socket in a records file, as the records say them
// (decimal text).
std::vector<std::string> Recorded_Serials(const std::vector<QJsonObject>& records)
{
    std::vector<std::string> serials;
    for (const QJsonObject& record : records)
        for (const QJsonValue& socket : record["sockets"].toArray())
            serials.push_back(socket.toObject()["serial"].toString().toStdString());
    return serials;
}

// Two command-line stations on two simulated adapters share one serial
// state and one records file, five runs each; one is killed with SIGKILL in
// the middle of its third run and started again for the rest.  No serial
// is in two chips (each chip verified its own serial), the killed run's
// serials are never handed out again, and the lot's sequence is one count.
TEST_F(CliProcess, TwoStationsShareOneSerialStateAndOneIsKilled)
{
    Write_File(Path("image.bin"), Slow_Image(0x40));
    const QString state = Path("s.json");
    const QString records = Path("runs.jsonl");
    TDriven a;
    TDriven b;
    a.Runs = 5;
    b.Runs = 5;
    b.Kill_In = 3;
    a.Start(Serial_Station("2A8", state, records, Path("image.bin")), State_Environment());
    b.Start(Serial_Station("2B8", state, records, Path("image.bin")), State_Environment());
    QElapsedTimer clock;
    clock.start();
    while ((a.Step() | b.Step()) && clock.elapsed() < 240000) {
    }
    ASSERT_TRUE(b.Killed) << b.Err;
    // The killed station started again: the runs it still owes.
    TDriven again;
    again.Runs = 3;
    again.Start(Serial_Station("2B8", state, records, Path("image.bin")), State_Environment());
    while (again.Step() && clock.elapsed() < 300000) {
    }
    EXPECT_EQ(a.Process.exitCode(), 0) << a.Err;
    EXPECT_EQ(again.Process.exitCode(), 0) << again.Err;

    const std::vector<QJsonObject> runs = Records(records);
    ASSERT_EQ(runs.size(), 10u) << "5 + 2 + 3 runs recorded";
    std::set<int> sequences;
    for (const QJsonObject& run : runs) {
        sequences.insert(run["sequence"].toInt());
        for (const QJsonValue& socket : run["sockets"].toArray())
            EXPECT_TRUE(socket.toObject()["passed"].toBool()) << "the chip verified its serial";
    }
    EXPECT_EQ(sequences.size(), 10u) << "one sequence for the lot's runs, whichever station";
    const std::vector<std::string> serials = Recorded_Serials(runs);
    const std::set<std::string> unique(serials.begin(), serials.end());
    EXPECT_EQ(unique.size(), serials.size()) << "a serial in two chips";
    // 11 runs reserved 55 serials from 1000: the 5 of the killed run are in
    // no record and the state goes on after them.
    QFile file(state);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(saved["next"].toString(), "1055");
    EXPECT_TRUE(saved["returned"].toArray().isEmpty());
    int missing = 0;
    for (int serial = 1000; serial < 1055; ++serial)
        missing += unique.count(std::to_string(serial)) == 0 ? 1 : 0;
    EXPECT_EQ(missing, 5);
    // Both counted the simulator's socket wear in one file: no count lost
    // (11 runs, the killed one too: it counts as its chips go in).
    QFile wear(Path("state/gang-adapter/sockets-sim.json"));
    ASSERT_TRUE(wear.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(wear.readAll()).object()["insertions"].toArray(),
              (QJsonArray{11, 11, 11, 11, 11}));
    for (const std::string* err : {&a.Err, &b.Err, &again.Err})
        EXPECT_EQ(err->find("not counted"), std::string::npos) << *err;
}

// A records file on a full disk: refused before the first chip (the
// adapter untouched), by the station and by program --report; a disk that
// fills during a run stops the station with its own status, naming the
// file, and leaves no fragment of a record.
TEST_F(CliProcess, ARecordsFileOnAFullDiskIsRefusedBeforeTheFirstChip)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const std::string disk = Path("disk").toStdString();
    std::filesystem::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    struct TUnmount {
        std::string Disk;
        ~TUnmount() { ::umount2(Disk.c_str(), MNT_DETACH); }
    } unmount{disk};
    const auto fill = [&disk] {
        std::ofstream filler(disk + "/filler", std::ios::binary | std::ios::app);
        const std::string block(4096, '\0');
        for (int i = 0; i < 128 && filler; ++i)
            filler.write(block.data(), block.size()), filler.flush();
    };
    fill();
    Write_File(Path("image.bin"), Slow_Image());
    const QString records = QString::fromStdString(disk + "/runs.jsonl");
    const QString trace = Path("trace.txt");
    const TCliResult station =
        Run_With_Input({"--sim", "--trace", trace, "station", "program", "--type", "27C64", "--lot",
                        "L1", "--report", records, Path("image.bin")},
                       "\nq\n");
    EXPECT_EQ(station.Status, 4) << station.Err;
    EXPECT_NE(station.Err.find(records.toStdString() + ": the disk is full"), std::string::npos)
        << station.Err;
    EXPECT_FALSE(QFile::exists(trace)) << "the adapter was touched";
    const TCliResult program = Run_Cli({"--sim", "--trace", trace, "program", "--type", "27C64",
                                        "--report", records, Path("image.bin")});
    EXPECT_EQ(program.Status, 4) << program.Err;
    EXPECT_FALSE(QFile::exists(trace)) << "the adapter was touched";

    // Room again; the disk fills while run 2 programs.
    std::filesystem::remove(disk + "/filler");
    QProcess filled;
    filled.setProcessEnvironment(State_Environment());
    filled.start(GANG_CLI_PATH, {"--sim", "station", "program", "--type", "27C64", "--lot", "L1",
                                 "--report", records, Path("image.bin")});
    std::string err;
    Enter_Until_Run_2_Programs(filled, err);
    // The records file's last page left with one free byte (a blank line
    // pads it), then the disk filled: run 2's record finds no room.
    const auto size = static_cast<int64_t>(std::filesystem::file_size(records.toStdString()));
    int64_t pad = (4095 - size % 4096 + 4096) % 4096;
    pad += pad < 1 ? 4096 : 0;
    std::ofstream(records.toStdString(), std::ios::app)
        << std::string(static_cast<std::size_t>(pad - 1), ' ') << '\n';
    fill();
    ASSERT_TRUE(filled.waitForFinished(60000));
    err += filled.readAllStandardError().toStdString();
    EXPECT_EQ(filled.exitCode(), 5) << err;
    EXPECT_NE(err.find(records.toStdString() + ": No space left on device: the chips of this run "
                                               "are NOT recorded"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("run 3:"), std::string::npos) << "the station went on\n" << err;
    const std::vector<QJsonObject> runs = Records(records);
    ASSERT_EQ(runs.size(), 2u) << "run 1's record and the blank line, no fragment";
    EXPECT_EQ(runs[0]["sequence"].toInt(), 1);
    EXPECT_TRUE(runs[1].isEmpty());
    EXPECT_EQ(std::filesystem::file_size(records.toStdString()) % 4096, 4095u);
}

// A last line cut short (a crash, a full disk of an older version) is
// closed before the next record, which stands on a line of its own.
TEST_F(CliProcess, ATornLastLineIsFollowedByAReadableRecord)
{
    Write_File(Path("image.hex"), Image_Hex);
    Write_File(Path("runs.jsonl"), "{\"lot\":\"L1\",\"sockets\":[{\"socket\":1,\"pas");
    const TCliResult run = Run_Cli({"--sim", "--fast", "program", "--type", "28C64", "--report",
                                    Path("runs.jsonl"), Path("image.hex")});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<QJsonObject> lines = Records(Path("runs.jsonl"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].isEmpty()) << "the fragment stays a fragment";
    EXPECT_EQ(lines[1]["type"].toString(), "28C64");
    const TCliResult summary = Run_Cli({"summary", Path("runs.jsonl")});
    EXPECT_NE(summary.Out.find("runs     1\n"), std::string::npos) << summary.Out;
    EXPECT_NE(summary.Out.find("1 record not read, line 1"), std::string::npos) << summary.Out;
}

// A FIFO as the records file or the serial state is refused at once (no
// open waits for a writer or a reader), before the adapter is touched; so
// is a FIFO as the job and as summary's file.
TEST_F(CliProcess, AFifoIsRefusedWithinASecond)
{
    Write_File(Path("image.bin"), Slow_Image());
    ASSERT_EQ(::mkfifo(Path("fifo").toStdString().c_str(), 0644), 0);
    const QString trace = Path("trace.txt");
    const auto refused = [&](const QStringList& arguments) {
        QElapsedTimer clock;
        clock.start();
        const TCliResult run = Run_With_Input(arguments, "\nq\n");
        EXPECT_LT(clock.elapsed(), 1000) << arguments.join(' ').toStdString();
        EXPECT_EQ(run.Status, arguments.contains("--job") ? 2 : 4) << run.Err;
        EXPECT_NE(run.Err.find("fifo: not a regular file (a FIFO, a device or a folder)"),
                  std::string::npos)
            << run.Err;
        EXPECT_FALSE(QFile::exists(trace)) << "the adapter was touched";
    };
    const QStringList station = {"--sim",  "--trace", trace,   "station", "program",
                                 "--type", "27C64",   "--lot", "L1"};
    refused(station + QStringList{"--report", Path("fifo"), Path("image.bin")});
    refused(station + QStringList{"--serial-at", "1FF0", "--serial-size", "4", "--serial-state",
                                  Path("fifo"), Path("image.bin")});
    refused({"--sim", "--trace", trace, "station", "--job", Path("fifo"), "--lot", "L1"});
    QElapsedTimer clock;
    clock.start();
    const TCliResult summary = Run_Cli({"summary", Path("fifo")});
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(summary.Status, 4) << summary.Err;
}

// A state file that returns one serial twice is refused, naming the file
// and what is wrong, before the adapter is touched.
TEST_F(CliProcess, AStateFileWithADuplicateIsRefused)
{
    Write_File(Path("image.bin"), Slow_Image());
    Write_File(Path("s.json"),
               R"({"version":1,"next":"100005","returned":["100000","100000","100000"]})");
    const QString trace = Path("trace.txt");
    const TCliResult run = Run_Cli({"--sim", "--trace", trace, "program", "--type", "27C64",
                                    "--gang", "3", "--serial-at", "1FF0", "--serial-size", "4",
                                    "--serial-state", Path("s.json"), Path("image.bin")});
    EXPECT_EQ(run.Status, 4) << run.Err;
    EXPECT_NE(run.Err.find(Path("s.json").toStdString() +
                           ": not a serial state this program can trust: \"returned\" holds "
                           "100000 twice"),
              std::string::npos)
        << run.Err;
    EXPECT_FALSE(QFile::exists(trace)) << "the adapter was touched";
}

// A serial beyond 2^63 goes exactly into the chip's record and comes back
// out of summary; a run whose serials do not fit is refused and writes no
// state.
TEST_F(CliProcess, ALargeSerialRoundTripsAndARefusedRunWritesNoState)
{
    Write_File(Path("image.hex"), Image_Hex);
    const QStringList program = {"--sim", "--fast",         "program",          "--type",
                                 "28C64", "--report",       Path("runs.jsonl"), "--serial-at",
                                 "1000",  "--serial-state", Path("s.json")};
    const TCliResult large =
        Run_Cli(program + QStringList{"--gang", "2", "--serial-size", "8", "--serial-format", "le",
                                      "--serial-start", "18446744073709551000", Path("image.hex")});
    ASSERT_EQ(large.Status, 0) << large.Err;
    EXPECT_NE(large.Out.find("serial 18446744073709551000\n"), std::string::npos) << large.Out;
    const QJsonObject record = Record(Path("runs.jsonl"));
    EXPECT_EQ(record["sockets"][0].toObject()["serial"].toString(), "18446744073709551000");
    EXPECT_EQ(record["sockets"][1].toObject()["serial"].toString(), "18446744073709551001");
    EXPECT_EQ(record["serial"].toObject()["last"].toString(), "18446744073709551001");
    const TCliResult summary = Run_Cli({"summary", Path("runs.jsonl")});
    EXPECT_NE(summary.Out.find("serials  18446744073709551000-18446744073709551001\n"),
              std::string::npos)
        << summary.Out;

    QFile::remove(Path("s.json"));
    const TCliResult refused =
        Run_Cli(program + QStringList{"--gang", "5", "--serial-size", "2", "--serial-format", "dec",
                                      "--serial-start", "98", Path("image.hex")});
    EXPECT_EQ(refused.Status, 2) << refused.Err;
    EXPECT_NE(refused.Err.find("serial 100 does not fit 2 byte(s) of dec"), std::string::npos)
        << refused.Err;
    EXPECT_FALSE(QFile::exists(Path("s.json"))) << "a refused run wrote the state";
}

// A station started again on a lot goes on with its sequence and its
// tally.
TEST_F(CliProcess, AStationStartedAgainContinuesTheLot)
{
    Write_File(Path("image.hex"), Image_Hex);
    const QStringList station = {
        "--sim", "--fast", "station", "program",  "--type",           "28C64",          "--gang",
        "2",     "--lot",  "L3",      "--report", Path("runs.jsonl"), Path("image.hex")};
    ASSERT_EQ(Run_With_Input(station, "\n\nq\n").Status, 0);
    const TCliResult again = Run_With_Input(station, "\nq\n");
    ASSERT_EQ(again.Status, 0) << again.Err;
    EXPECT_NE(again.Err.find("Lot L3, run 3: insert"), std::string::npos) << again.Err;
    EXPECT_EQ(again.Err.find("run 1:"), std::string::npos) << again.Err;
    EXPECT_NE(again.Out.find("lot L3: 6 of 6 chips passed (100.0 %), 3 runs"), std::string::npos)
        << again.Out;
    const std::vector<QJsonObject> runs = Records(Path("runs.jsonl"));
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[2]["sequence"].toInt(), 3);
}

// On a terminal, an Enter typed while run 1 programs does not start run 2:
// the station waits at the prompt until the operator answers it.
TEST_F(CliProcess, AnEnterTypedDuringARunStartsNoRunOnATerminal)
{
    Write_File(Path("image.bin"), Slow_Image());
    const std::string cli = GANG_CLI_PATH;
    const std::string image = Path("image.bin").toStdString();
    const std::string records = Path("runs.jsonl").toStdString();
    const std::string state = Path("state").toStdString();
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setenv("XDG_STATE_HOME", state.c_str(), 1);
        ::execl(cli.c_str(), cli.c_str(), "--sim", "station", "program", "--type", "27C64", "--lot",
                "L1", "--report", records.c_str(), image.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string seen;
    // Reads until text appears after from (or the time runs out); its
    // position, npos when it did not.
    const auto wait_for = [&](const std::string& text, std::size_t from, int ms) {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            const auto at = seen.find(text, from);
            if (at != std::string::npos || clock.elapsed() > ms)
                return at;
            pollfd input{master, POLLIN, 0};
            if (::poll(&input, 1, 50) > 0) {
                char block[4096];
                const ssize_t n = ::read(master, block, sizeof block);
                if (n <= 0)
                    return seen.find(text, from);
                seen.append(block, static_cast<std::size_t>(n));
            }
        }
    };
    const auto prompt_1 = wait_for("run 1:", 0, 60000);
    ASSERT_NE(prompt_1, std::string::npos) << seen;
    ASSERT_EQ(::write(master, "\n", 1), 1);
    ASSERT_NE(wait_for("program  0", prompt_1, 60000), std::string::npos) << seen;
    ASSERT_EQ(::write(master, "\n", 1), 1); // typed ahead, during run 1
    const auto prompt_2 = wait_for("run 2:", prompt_1, 60000);
    ASSERT_NE(prompt_2, std::string::npos) << seen;
    EXPECT_EQ(wait_for("program  0", prompt_2, 1500), std::string::npos)
        << "run 2 started on its own\n"
        << seen;
    ASSERT_EQ(::write(master, "q\n", 2), 2);
    wait_for("yield", prompt_2, 30000);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
    EXPECT_EQ(Records(Path("runs.jsonl")).size(), 1u) << seen;
}

// A job made once, then run by the station: the image found beside the job
// file by its relative path, the records in the job's own records file,
// each naming the command line, the job and its SHA-256.
TEST_F(CliProcess, StationRunsAJobAndRecordsItBesideTheJob)
{
    const QString job = Make_Job({"--lot", "L7"});
    QFile job_file(job);
    ASSERT_TRUE(job_file.open(QIODevice::ReadOnly));
    const QJsonObject saved = QJsonDocument::fromJson(job_file.readAll()).object();
    EXPECT_EQ(saved["version"].toInt(), 1);
    EXPECT_EQ(saved["image"].toObject()["path"].toString(), "../image.bin");
    EXPECT_EQ(saved["image"].toObject()["size"].toInt(), 0x2000);
    EXPECT_EQ(saved["type"].toString(), "27C64");
    EXPECT_EQ(saved["voltage"].toString(), "12.5");
    job_file.seek(0);
    const QString job_sha256 =
        QCryptographicHash::hash(job_file.readAll(), QCryptographicHash::Sha256).toHex();
    // A job of another type onto it is refused without --force: the job unchanged.
    const TCliResult again =
        Run_Cli({"job", "new", "--type", "27C16", "--lot", "L7", Path("image.bin"), "-o", job});
    EXPECT_NE(again.Status, 0);
    EXPECT_NE(again.Err.find("exists: give --force"), std::string::npos) << again.Err;
    job_file.seek(0);
    EXPECT_EQ(QCryptographicHash::hash(job_file.readAll(), QCryptographicHash::Sha256).toHex(),
              job_sha256);

    const TCliResult shown = Run_Cli({"job", "show", job});
    EXPECT_EQ(shown.Status, 0) << shown.Err;
    for (const char* line : {"type      27C64\n", "gang      2 sockets\n", "voltage   12.5 V\n",
                             "lot       L7\n", "records   ", "line3.jsonl\n", "unchanged\n"})
        EXPECT_NE(shown.Out.find(line), std::string::npos) << line << "\n" << shown.Out;

    const TCliResult station =
        Run_With_Input({"--sim", "--fast", "station", "--job", job}, "\n\nq\n");
    EXPECT_EQ(station.Status, 0) << station.Err;
    EXPECT_NE(station.Out.find("lot L7: 4 of 4 chips passed (100.0 %), 2 runs"), std::string::npos)
        << station.Out;
    const std::vector<QJsonObject> records = Records(Path("jobs/line3.jsonl"));
    ASSERT_EQ(records.size(), 2u);
    for (const QJsonObject& record : records) {
        EXPECT_EQ(record["front_end"].toString(), "cli");
        EXPECT_EQ(record["job"].toObject()["path"].toString(), job);
        EXPECT_EQ(record["job"].toObject()["sha256"].toString(), job_sha256);
        EXPECT_EQ(record["lot"].toString(), "L7");
        EXPECT_EQ(record["gang"].toInt(), 2);
        EXPECT_EQ(record["file"].toObject()["sha256"].toString(),
                  saved["image"].toObject()["sha256"].toString());
    }
}

// A station made from options and one made from the job that job new
// made of the same options record the same run: every setting, the image
// and each socket's outcome and serial.
TEST_F(CliProcess, AStationFromOptionsAndFromTheirJobRecordTheSameRun)
{
    const QStringList settings = {"--lot",         "L7",   "--serial-at",    "1FF0",
                                  "--serial-size", "2",    "--serial-start", "100",
                                  "--sdp",         "keep", "--blank-first"};
    const QString job = Make_Job(
        settings + QStringList{"--serial-state", "s1.json", "--report", Path("from_job.jsonl")});
    const TCliResult from_job =
        Run_With_Input({"--sim", "--fast", "station", "--job", job}, "\nq\n");
    EXPECT_EQ(from_job.Status, 0) << from_job.Err;
    const TCliResult from_options = Run_With_Input(
        QStringList{"--sim", "--fast", "station", "program", "--type", "27C64", "--gang", "2"} +
            settings +
            QStringList{"--serial-state", Path("s2.json"), "--report", Path("from_options.jsonl"),
                        Path("image.bin")},
        "\nq\n");
    EXPECT_EQ(from_options.Status, 0) << from_options.Err;
    const std::vector<QJsonObject> a = Records(Path("from_job.jsonl"));
    const std::vector<QJsonObject> b = Records(Path("from_options.jsonl"));
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    for (const char* key : {"lot", "type", "gang", "voltage", "checksum", "serial", "sockets",
                            "command", "adapter", "version"})
        EXPECT_EQ(a[0][key], b[0][key]) << key;
    EXPECT_EQ(a[0]["voltage"].toString(), "12.5");
    EXPECT_EQ(a[0]["serial"].toObject()["first"].toString(), "100"); // decimal text
    EXPECT_EQ(a[0]["file"].toObject()["sha256"], b[0]["file"].toObject()["sha256"]);
    const auto step_names = [](const QJsonObject& record) {
        QStringList names;
        for (const QJsonValue& step : record["steps"].toArray())
            names << step.toObject()["step"].toString();
        return names;
    };
    EXPECT_EQ(step_names(a[0]), step_names(b[0]));
    EXPECT_EQ(step_names(a[0]), (QStringList{"blank", "program", "verify"}));
}

// Everything wrong with a job is refused with its own error, status 2,
// before the adapter is touched: the simulator's trace stays absent.
TEST_F(CliProcess, StationRefusesABadJobBeforeTheAdapter)
{
    const QString job = Make_Job({});
    const auto refused = [this](const QStringList& arguments, const std::string& error) {
        const QString trace = Path("trace.txt");
        const TCliResult run =
            Run_With_Input(QStringList{"--sim", "--trace", trace, "station"} + arguments, "\nq\n");
        EXPECT_EQ(run.Status, 2) << run.Err;
        EXPECT_NE(run.Err.find(error), std::string::npos) << error << "\n" << run.Err;
        EXPECT_FALSE(QFile::exists(trace) && QFileInfo(trace).size() > 0)
            << "the adapter was touched: " << error;
        QFile::remove(trace);
    };

    // One byte of the image changed after the job was made.
    std::string image(0x2000, '\xFF');
    image[0x100] = '\xA5';
    image[0x1234] = '\x00';
    Write_File(Path("image.bin"), image);
    refused({"--job", job, "--lot", "L1"}, "the image changed since the job was made: ");
    // The operator window refuses it as well, before its window or adapter:
    // on stderr and in a box that stays until it is closed (here by
    // SIGTERM), for a station started from the desktop's menu.
    const auto window_refuses = [this](const QString& job_path, const char* error) {
        QProcess window;
        QProcessEnvironment env = State_Environment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        window.setProcessEnvironment(env);
        window.start(GANG_SIM_WINDOW_PATH, {"--trace", Path("trace.txt"), "--station", job_path});
        window.setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (err.indexOf(error) < 0 && window.waitForReadyRead(30000))
            err += window.readAllStandardError();
        EXPECT_NE(err.indexOf(error), -1) << err.toStdString();
        EXPECT_FALSE(window.waitForFinished(1000)) << "no box kept the reason in view";
        window.terminate();
        ASSERT_TRUE(window.waitForFinished(30000));
        EXPECT_EQ(window.exitCode(), 2);
        EXPECT_FALSE(QFile::exists(Path("trace.txt")) && QFileInfo(Path("trace.txt")).size() > 0);
    };
    window_refuses(job, "the image changed since the job was made: ");
    const TCliResult shown = Run_Cli({"job", "show", job});
    EXPECT_NE(shown.Out.find("CHANGED since the job was made"), std::string::npos) << shown.Out;
    EXPECT_EQ(shown.Status, 1);

    QFile::remove(Path("image.bin"));
    refused({"--job", job, "--lot", "L1"}, "line3.job: the job's image ");
    refused({"--job", job, "--lot", "L1"}, "image.bin is missing");

    Write_File(Path("bad.job"), "{\"version\": 1,");
    refused({"--job", Path("bad.job"), "--lot", "L1"}, "bad.job: not a job file: ");
    QFile original(job);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    std::string text = original.readAll().toStdString();
    text.replace(text.find("\"version\": 1"), 12, "\"version\": 7");
    Write_File(Path("v7.job"), text);
    refused({"--job", Path("v7.job"), "--lot", "L1"},
            "v7.job: job version 7 is not known to this program (it reads version 1)");

    refused({"--job", job, "--type", "27C64", "--lot", "L1"},
            "--type is fixed by the job " + job.toStdString());
    refused({"--job", job, "--lot", "L1", Path("image.bin")},
            "the image is fixed by the job " + job.toStdString());
    // Neither the job nor the command names the lot; the operator window
    // cannot ask for one: the job must name it.
    image[0x1234] = '\xFF';
    Write_File(Path("image.bin"), image);
    refused({"--job", job}, "names no lot: give --lot L");
    window_refuses(job, "names no lot");
}

// A socket limit of 2: three runs, and the warning for each socket of the
// gang on the third only; the counts shown, one reset and its record, which
// the summary passes over.
TEST_F(CliProcess, SocketLimitWarnsOnceASocketPassesIt)
{
    const QString job = Make_Job({"--socket-limit", "2", "--lot", "L9"});
    QProcess station;
    station.setProcessEnvironment(State_Environment());
    station.start(GANG_CLI_PATH, {"--sim", "--fast", "station", "--job", job});
    station.write("\n\n\nq\n");
    station.closeWriteChannel();
    ASSERT_TRUE(station.waitForFinished(120000));
    const std::string err = station.readAllStandardError().toStdString();
    EXPECT_EQ(station.exitCode(), 0) << err;
    const std::string warning = "warning: socket 1: 3 insertions, limit 2: change the socket\n";
    const auto at = err.find(warning);
    ASSERT_NE(at, std::string::npos) << err;
    EXPECT_LT(err.find("run 3:"), at) << err;
    EXPECT_LT(at, err.find("run 4:")) << err;
    EXPECT_NE(err.find("warning: socket 2: 3 insertions, limit 2"), std::string::npos) << err;
    EXPECT_EQ(err.find("insertions, limit 2", at + warning.size() + 60), std::string::npos) << err;
    EXPECT_EQ(err.find("socket 3:"), std::string::npos) << "socket 3 is not in the gang\n" << err;

    const TCliResult shown = Run_With_Input({"--sim", "sockets"}, "");
    EXPECT_EQ(shown.Status, 0) << shown.Err;
    EXPECT_NE(shown.Out.find("socket 1: 3 insertions\nsocket 2: 3 insertions\n"
                             "socket 3: 0 insertions\n"),
              std::string::npos)
        << shown.Out;
    const TCliResult reset = Run_With_Input({"--sim", "sockets", "--reset", "1", "--job", job}, "");
    EXPECT_EQ(reset.Status, 0) << reset.Err;
    EXPECT_NE(reset.Out.find("socket 1: 0 insertions\nsocket 2: 3 insertions\n"), std::string::npos)
        << reset.Out;
    const std::vector<QJsonObject> records = Records(Path("jobs/line3.jsonl"));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records.back()["event"].toString(), "socket_reset");
    EXPECT_EQ(records.back()["socket"].toInt(), 1);
    EXPECT_EQ(records.back()["insertions"].toInt(), 3);
    EXPECT_EQ(records.back()["adapter"].toString(), "sim");
    const TCliResult summary = Run_Cli({"summary", Path("jobs/line3.jsonl")});
    EXPECT_NE(summary.Out.find("runs     3\n"), std::string::npos) << summary.Out;
    EXPECT_EQ(summary.Out.find("not read"), std::string::npos) << summary.Out;
}

// The real programs over /dev/parport0 of a fake system tree, its base
// given per test (the lock files under /run/lock are real and shared by
// tests that run at the same time).
class PpdevProcess : public CliProcess {
protected:
    QProcessEnvironment Environment(uint16_t base, const QString& trace, bool fast = true) const
    {
        const QString hex = QString::number(base, 16).toUpper();
        const std::filesystem::path dir =
            Dir.filePath("proc/sys/dev/parport/parport0").toStdString();
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "base-addr") << base << "\t0\n";
        QString sim = "--base " + hex + " --trace " + trace + (fast ? " --fast" : "");
        for (int socket = 1; socket <= 5; ++socket)
            sim += " --socket " + QString::number(socket) + "=28C64";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_PRELOAD", GANG_PPDEV_SHIM);
        env.insert("GANG_SHIM_ROOT", Dir.path());
        env.insert("GANG_SHIM_SIM", sim);
        // A sanitizer build: the shim is loaded before the runtime.
        env.insert("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0");
        return env;
    }
    QStringList Program_Args() const
    {
        Write_File(Path("image.hex"), Image_Hex);
        return {"--port", "/dev/parport0", "program", "--type",
                "28C64",  "--gang",        "5",       Path("image.hex")};
    }
    // Starts the command and waits for the programming to be under way.
    static void Start_Until_Programming(QProcess& process, const QStringList& args)
    {
        process.start(GANG_CLI_PATH, args);
        ASSERT_TRUE(process.waitForStarted());
        process.setReadChannel(QProcess::StandardError);
        std::string err;
        while (err.find("program  0") == std::string::npos) {
            ASSERT_TRUE(process.waitForReadyRead(60000)) << err;
            err += process.readAllStandardError().toStdString();
        }
        ASSERT_FALSE(process.waitForFinished(300)) << err;
    }
};

TEST_F(PpdevProcess, ProgramsAndVerifiesAGangThroughTheKernelsPort)
{
    QProcess process;
    process.setProcessEnvironment(Environment(0xD010, Path("trace.txt")));
    process.start(GANG_CLI_PATH, Program_Args());
    ASSERT_TRUE(process.waitForFinished(120000));
    const std::string out = process.readAllStandardOutput().toStdString();
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_NE(out.find("5- Verified OK"), std::string::npos) << out;
    gang::Expect_Trace_Ends_At_Rest(Path("trace.txt").toStdString(), 0xD010);
}

TEST_F(PpdevProcess, ASecondProgramOnTheSamePortIsRefused)
{
    QProcess first;
    first.setProcessEnvironment(Environment(0xD020, Path("first.txt")));
    Start_Until_Programming(first, Program_Args());

    QProcess second;
    second.setProcessEnvironment(Environment(0xD020, Path("second.txt")));
    second.start(GANG_CLI_PATH, Program_Args());
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitCode(), 3);
    EXPECT_NE(second.readAllStandardError().indexOf(
                  "gang-adapter-cli: Port Address - D020 In Use By Another Program\n"),
              -1);
    EXPECT_EQ(first.state(), QProcess::Running) << "the refusal came too late to mean anything";
    EXPECT_FALSE(QFile::exists(Path("second.txt"))) << "the held port was touched";

    ASSERT_TRUE(first.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();

    // Unharmed: the same traffic as a run alone on the port.
    QProcess alone;
    alone.setProcessEnvironment(Environment(0xD020, Path("alone.txt")));
    alone.start(GANG_CLI_PATH, Program_Args());
    ASSERT_TRUE(alone.waitForFinished(120000));
    EXPECT_EQ(alone.exitCode(), 0);
    QFile first_trace(Path("first.txt"));
    QFile alone_trace(Path("alone.txt"));
    ASSERT_TRUE(first_trace.open(QIODevice::ReadOnly) && alone_trace.open(QIODevice::ReadOnly));
    EXPECT_TRUE(first_trace.readAll() == alone_trace.readAll());
    gang::Expect_Trace_Ends_At_Rest(Path("first.txt").toStdString(), 0xD020);
}

TEST_F(PpdevProcess, SigtermMidRunLeavesTheAdapterAtRest)
{
    QProcess process;
    process.setProcessEnvironment(Environment(0xD030, Path("trace.txt"), /*fast=*/false));
    Start_Until_Programming(process, Program_Args());
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130);
    gang::Expect_Trace_Ends_At_Rest(Path("trace.txt").toStdString(), 0xD030);
}

TEST_F(PpdevProcess, TheWindowSearchesThroughTheKernelsPortAndRestsItOnSigterm)
{
    QProcess window;
    QProcessEnvironment env = Environment(0xD040, Path("trace.txt"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(env);
    window.start(GANG_WINDOW_PATH, {"--port", "/dev/parport0"});
    ASSERT_TRUE(window.waitForStarted());
    // The port test has raised the probe voltage: the search is under way.
    for (int i = 0; i < 500 && QFile(Path("trace.txt")).size() < 1024; ++i)
        ASSERT_FALSE(window.waitForFinished(20));
    ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
    ASSERT_TRUE(window.waitForFinished(10000));
    EXPECT_EQ(window.exitStatus(), QProcess::NormalExit);
    gang::Expect_Trace_Ends_At_Rest(Path("trace.txt").toStdString(), 0xD040);
}

// A copy of a program with cap_sys_rawio+ep, started as nobody: once it
// waits (the command on a fifo that is never read, the window on an X
// server that never answers) it must hold no capability.
class Capabilities : public ::testing::Test {
protected:
    std::string Dir;
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root to set file capabilities and become nobody";
        char name[] = "/tmp/gang_caps_XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        Dir = name;
        ::chmod(name, 0755); // nobody must reach the copy
    }
    void TearDown() override
    {
        if (!Dir.empty())
            std::filesystem::remove_all(Dir);
    }
    // The program's copy with the capability; "" when the file system
    // refuses it.
    std::string Privileged_Copy(const char* program)
    {
        const std::string copy = Dir + "/" + std::filesystem::path(program).filename().string();
        std::filesystem::copy_file(program, copy);
        const std::string command = "setcap cap_sys_rawio+ep " + copy + " 2>/dev/null";
        return std::system(command.c_str()) == 0 ? copy : std::string();
    }
    static std::string Status_Field(qint64 pid, const std::string& field)
    {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.compare(0, field.size() + 1, field + ":") == 0)
                return line.substr(line.find_first_not_of(" \t", field.size() + 1));
        return "";
    }
    // Starts the copy as nobody and waits until it runs the copy and has
    // set PR_SET_NO_NEW_PRIVS (the last step of the drop); then its CapEff.
    static void Expect_No_Capability(const std::string& copy, const QStringList& args,
                                     const QProcessEnvironment& env)
    {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start("setpriv", QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                             "--", QString::fromStdString(copy)} +
                                     args);
        ASSERT_TRUE(process.waitForStarted());
        const qint64 pid = process.processId();
        bool dropped = false;
        for (int i = 0; i < 500 && !dropped; ++i) {
            std::error_code error;
            dropped = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe",
                                                    error) == copy &&
                      Status_Field(pid, "NoNewPrivs") == "1";
            if (!dropped)
                QThread::msleep(20);
        }
        EXPECT_TRUE(dropped) << process.readAllStandardError().toStdString();
        EXPECT_EQ(Status_Field(pid, "CapEff"), "0000000000000000");
        EXPECT_EQ(Status_Field(pid, "CapPrm"), "0000000000000000");
        EXPECT_EQ(Status_Field(pid, "CapInh"), "0000000000000000");
        EXPECT_EQ(process.state(), QProcess::Running) << "it must still be waiting";
        ::kill(static_cast<pid_t>(pid), SIGKILL);
        process.waitForFinished(5000);
    }
};

TEST_F(Capabilities, TheCommandLineRunsWithoutAny)
{
    const std::string copy = Privileged_Copy(GANG_CLI_PATH);
    if (copy.empty())
        GTEST_SKIP() << "the file system under /tmp refuses file capabilities";
    // The image files refuse a fifo; the port trace of the simulated
    // adapter opens it and waits for a reader that never comes.
    const std::string fifo = Dir + "/trace.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    ::chmod(fifo.c_str(), 0666);
    Expect_No_Capability(
        copy, {"--sim", "--trace", QString::fromStdString(fifo), "blank", "--type", "28C64"},
        QProcessEnvironment::systemEnvironment());
}

// A stop signal ends the window whatever it shows: here the box of a port
// the program may not open (nobody has no port access at all).
TEST_F(Capabilities, SigtermEndsTheWindowUnderThePortErrorBox)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(Dir));
    QProcess window;
    window.setProcessEnvironment(env);
    window.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--",
                             GANG_WINDOW_PATH, "--port", "2A0"});
    ASSERT_TRUE(window.waitForStarted());
    // The search at start-up has tried the port and shows why it failed.
    ASSERT_FALSE(window.waitForFinished(1500)) << window.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
    EXPECT_TRUE(window.waitForFinished(2000)) << "the box held the window open";
    if (window.state() != QProcess::NotRunning) {
        window.kill();
        window.waitForFinished(2000);
    }
    // Nothing holds the port's lock any more.
    for (const std::string& dir : {std::string("/run/lock"), Dir}) {
        const std::string lock = dir + "/gang-adapter-02A0.lock";
        const int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0) << lock;
        ::close(fd);
    }
}

TEST_F(Capabilities, TheWindowRunsWithoutAny)
{
    const std::string copy = Privileged_Copy(GANG_WINDOW_PATH);
    if (copy.empty())
        GTEST_SKIP() << "the file system under /tmp refuses file capabilities";
    // An X server on the loopback that takes the connection and never
    // answers: the window waits inside its application's constructor.
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int display = 50;
    for (; display < 100; ++display) {
        address.sin_port = htons(static_cast<uint16_t>(6000 + display));
        if (::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            break;
    }
    ASSERT_LT(display, 100) << "no free X display port";
    ASSERT_EQ(::listen(server, 4), 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", "127.0.0.1:" + QString::number(display));
    Expect_No_Capability(copy, {}, env);
    ::close(server);
}

} // namespace
