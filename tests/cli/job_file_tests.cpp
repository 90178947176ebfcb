// The job file (session/job.h) and the socket wear counts
// (session/socket_wear.h) without a process: a job written and read back,
// the paths taken from the job's folder, a setting that is wrong named by
// its key, and the wear warnings past a limit.
#include "cli/cli_options.h"
#include "session/device_choice.h"
#include "session/job.h"
#include "session/socket_wear.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

using namespace gang;
using namespace gang::session;

TJob Sample_Job(const std::string& path)
{
    TJob job;
    job.Path = path;
    job.Image_Path = "../images/fw.hex";
    job.Image_Format = "intel";
    job.Image_Size = 1234;
    job.Image_Sha256 = std::string(64, 'a');
    job.Placement.Offset = -0x8000;
    job.Placement.Allow_Truncate = true;
    job.Type = Find_Type("27c256");
    job.Gang = 5;
    job.Vpp_Code = Vpp_Code_Of("12.5");
    job.Sdp = TSdp_Mode::Keep;
    job.Blank_First = true;
    job.Verify = false;
    job.Diagnose = false;
    job.Lot = "L7";
    job.Socket_Limit = 10000;
    job.Report = "runs/line3.jsonl";
    return job;
}

void Write(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

TEST(JobFile, IsWrittenAndReadBack)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("line3.job").toStdString();
    const TJob written = Sample_Job(path);
    Write(path, Job_Text(written));
    TJob read;
    std::string error;
    ASSERT_TRUE(Read_Job(path, read, error)) << error;
    EXPECT_EQ(read.Image_Path, written.Image_Path);
    EXPECT_EQ(read.Image_Format, "intel");
    EXPECT_EQ(read.Image_Size, 1234);
    EXPECT_EQ(read.Image_Sha256, written.Image_Sha256);
    EXPECT_EQ(read.Placement.Offset, -0x8000);
    EXPECT_TRUE(read.Placement.Allow_Truncate);
    ASSERT_NE(read.Type, nullptr);
    EXPECT_STREQ(read.Type->Type_Name, "27C256");
    EXPECT_EQ(read.Gang, 5);
    EXPECT_EQ(read.Vpp_Code, written.Vpp_Code);
    EXPECT_EQ(read.Sdp, TSdp_Mode::Keep);
    EXPECT_TRUE(read.Blank_First);
    EXPECT_FALSE(read.Verify);
    EXPECT_FALSE(read.Diagnose);
    EXPECT_FALSE(read.Serial);
    EXPECT_EQ(read.Lot, "L7");
    EXPECT_EQ(read.Socket_Limit, 10000);
    EXPECT_EQ(read.Sha256.size(), 64u);
    EXPECT_EQ(Job_Image_Path(read),
              QDir::cleanPath(dir.filePath("../images/fw.hex")).toStdString());
}

TEST(JobFile, PathsAreTakenFromTheJobsFolder)
{
    TJob job = Sample_Job("/srv/jobs/line3.job");
    EXPECT_EQ(Job_Image_Path(job), "/srv/images/fw.hex");
    EXPECT_EQ(Job_Records_Path(job), "/srv/jobs/runs/line3.jsonl");
    job.Report.clear();
    EXPECT_EQ(Job_Records_Path(job), "/srv/jobs/line3.jsonl");
    job.Image_Path = "/abs/fw.bin";
    EXPECT_EQ(Job_Image_Path(job), "/abs/fw.bin");
    job.Path = "line3.job";
    EXPECT_EQ(Job_Records_Path(job), "line3.jsonl");
}

TEST(JobFile, AWrongSettingIsNamedByItsKey)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("line3.job").toStdString();
    const std::string good = Job_Text(Sample_Job(path));
    const auto refused = [&](const std::string& from, const std::string& to,
                             const std::string& expected) {
        std::string text = good;
        const auto at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        Write(path, text);
        TJob job;
        std::string error;
        EXPECT_FALSE(Read_Job(path, job, error)) << to;
        EXPECT_NE(error.find(expected), std::string::npos) << expected << "\n" << error;
    };
    refused("\"27C256\"", "\"27C999\"", "\"type\" names no device type");
    refused("\"gang\": 5", "\"gang\": 6", "\"gang\" wants 1 to 5, not '6'");
    refused("\"voltage\": \"12.5\"", "\"voltage\": \"5\"", "\"voltage\" for a 27C256 is one of");
    refused("\"sdp\": \"keep\"", "\"sdp\": \"open\"", "\"sdp\" wants unlock, keep or lock");
    refused("\"verify\": false", "\"verify\": 0", "\"verify\" wants true or false");
    refused("\"format\": \"intel\"", "\"format\": \"elf\"", "\"image.format\" wants bin");
    refused("\"offset\": \"-8000\"", "\"offset\": \"x\"", "\"offset\" wants a hex address");
    refused("\"blank_first\": true,", "", "\"blank_first\" is missing");
    refused("\"socket_limit\"", "\"socket_limt\"", "\"socket_limt\" is not a job setting");
    // Far beyond any whole number a setting takes: refused, never cast.
    refused("\"gang\": 5", "\"gang\": 1e19", "\"gang\" wants 1 to 5, not '1e+19'");
    refused("\"socket_limit\": 10000", "\"socket_limit\": -1e300",
            "\"socket_limit\" wants a number of insertions");
}

// A serial's start and step are decimal text, exact to 64 bits; the JSON
// numbers of older jobs are still read when they are exact.
TEST(JobFile, SerialsAreExactTo64Bits)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("line3.job").toStdString();
    TJob job = Sample_Job(path);
    TSerialSettings serial;
    serial.At = 0x7FF8;
    serial.Size = 8;
    serial.Start = 18446744073709551000u;
    serial.Step = 3;
    serial.State_Path = "serial.json";
    job.Serial = serial;
    const std::string text = Job_Text(job);
    EXPECT_NE(text.find("\"start\": \"18446744073709551000\""), std::string::npos) << text;
    TJob read;
    std::string error;
    ASSERT_TRUE(Parse_Job(text, path, read, error)) << error;
    ASSERT_TRUE(read.Serial);
    EXPECT_EQ(read.Serial->Start, 18446744073709551000u);
    EXPECT_EQ(read.Serial->Step, 3u);

    std::string old = text;
    old.replace(old.find("\"18446744073709551000\""), 22, "1000");
    ASSERT_TRUE(Parse_Job(old, path, read, error)) << error;
    EXPECT_EQ(read.Serial->Start, 1000u);
    for (const char* wrong : {"1e19", "1000.5", "-1", "\"1e3\"", "\"18446744073709551616\""}) {
        std::string bad = text;
        bad.replace(bad.find("\"18446744073709551000\""), 22, wrong);
        EXPECT_FALSE(Parse_Job(bad, path, read, error)) << wrong;
        EXPECT_NE(error.find("\"serial.start\" wants a decimal number, not '"), std::string::npos)
            << error;
    }
}

// The same bad value as an option and as a job key breaks the same rule,
// told in the same words after the setting's own name.
TEST(JobFile, AnOptionAndAJobKeyBreakTheSameRuleInTheSameWords)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("line3.job").toStdString();
    TJob sample = Sample_Job(path);
    sample.Serial = TSerialSettings{};
    sample.Serial->At = 0x7FF0;
    sample.Serial->Size = 1;
    sample.Serial->Start = 10;
    sample.Serial->State_Path = "s.json";
    const std::string good = Job_Text(sample);
    struct TCase {
        std::vector<const char*> Options;
        std::string From, To;
        const char* Option;
        const char* Key;
    };
    const TCase cases[] = {
        {{"--sdp", "open"}, "\"sdp\": \"keep\"", "\"sdp\": \"open\"", "--sdp", "\"sdp\""},
        {{"--vpp", "5"}, "\"voltage\": \"12.5\"", "\"voltage\": \"5\"", "--vpp", "\"voltage\""},
        {{"--serial-format", "oct"},
         "\"format\": \"le\"",
         "\"format\": \"oct\"",
         "--serial-format",
         "\"serial.format\""},
        {{"--serial-start", "300"},
         "\"start\": \"10\"",
         "\"start\": \"300\"",
         "--serial-start",
         "\"serial.start\""},
    };
    for (const TCase& c : cases) {
        QStringList arguments{"gang-adapter-cli", "program", "--type",        "27C256",
                              "--serial-at",      "7FF0",    "--serial-size", "1",
                              "--serial-state",   "s.json",  "fw.bin"};
        for (const char* option : c.Options)
            arguments.insert(2, option);
        std::swap(arguments[2], arguments[3]);
        const cli::TCliParse parsed = cli::Parse_Cli_Options(arguments);
        ASSERT_FALSE(parsed.Ok) << c.Option;
        ASSERT_EQ(parsed.Error.rfind(std::string(c.Option) + " ", 0), 0u) << parsed.Error;
        const std::string rule = parsed.Error.substr(std::string(c.Option).size());

        std::string text = good;
        const auto at = text.find(c.From);
        ASSERT_NE(at, std::string::npos) << c.From;
        text.replace(at, c.From.size(), c.To);
        Write(path, text);
        TJob job;
        std::string error;
        EXPECT_FALSE(Read_Job(path, job, error));
        EXPECT_EQ(error, path + ": " + c.Key + rule);
    }
}

TEST(JobFile, GivesTheRecordEveryStationRunOfItShares)
{
    TJob job = Sample_Job("/srv/jobs/line3.job");
    job.Sha256 = std::string(64, 'b');
    job.Type = Find_Type("28C256");
    job.Vpp_Code = Vpp_Code_Of("5");
    job.Lot.clear();
    TBuffer buffer;
    buffer.End_Of_Eprom = 1;
    buffer.Data[0] = 0x12;
    buffer.Data[1] = 0x34;
    const TRunRecord record = Job_Record_Template(job, buffer, "L8", "window");
    EXPECT_EQ(record.Lot, "L8");
    EXPECT_EQ(record.Front_End, "window");
    EXPECT_EQ(record.Job_Path, "/srv/jobs/line3.job");
    EXPECT_EQ(record.Job_Sha256, job.Sha256);
    EXPECT_EQ(record.Command, "program");
    EXPECT_EQ(record.Type, "28C256");
    EXPECT_EQ(record.Gang, 5);
    EXPECT_EQ(record.Voltage, "5");
    EXPECT_EQ(record.Sdp, "keep");
    ASSERT_TRUE(record.File);
    EXPECT_EQ(record.File->Path, "/srv/images/fw.hex");
    EXPECT_EQ(record.File->Sha256, job.Image_Sha256);
    EXPECT_EQ(record.Checksum, 0x46);
    EXPECT_EQ(Program_Steps(job.Blank_First, job.Verify),
              (std::vector<TStep>{TStep::Blank, TStep::Program}));
}

TEST(SocketWear, WarnsForEachSocketOfTheGangPastTheLimit)
{
    TSocketWear wear{"sim", {3, 2, 10012, 0, 99}};
    EXPECT_TRUE(Wear_Warnings(wear, 3, 0).empty());
    const std::vector<std::string> warnings = Wear_Warnings(wear, 3, 2);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "socket 1: 3 insertions, limit 2: change the socket");
    EXPECT_EQ(warnings[1], "socket 3: 10012 insertions, limit 2: change the socket");
}

} // namespace
