// Load and save on real files: the binary length rules, hex files on disk,
// and the errors a failing open, read, write or close ends with.
#include "file_test_support.h"
#include "files/file_commands.h"
#include "files/image_map.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace gang {
namespace {

using test::TTempDir;

template <class F> int Error_Code_Of(F&& command)
{
    try {
        command();
    } catch (const EInOutError& e) {
        return e.Code();
    }
    return 0;
}

TEST(FileErrors, MessagesAndErrnoMapping)
{
    EXPECT_EQ(In_Out_Error_Message(2), "File not found");
    EXPECT_EQ(In_Out_Error_Message(3), "Invalid filename");
    EXPECT_EQ(In_Out_Error_Message(4), "Too many open files");
    EXPECT_EQ(In_Out_Error_Message(5), "File access denied");
    EXPECT_EQ(In_Out_Error_Message(100), "Read beyond end of file");
    EXPECT_EQ(In_Out_Error_Message(101), "Disk full");
    EXPECT_EQ(In_Out_Error_Message(106), "Invalid numeric input");
    EXPECT_EQ(In_Out_Error_Message(28), "I/O error 28");
    EXPECT_EQ(EInOutError(101).Message(), "Disk full");
    EXPECT_EQ(EConvertError("$1G").Message(), "'$1G' is not a valid integer value");

    EXPECT_EQ(In_Out_Error_Code(ENOENT), 2);
    EXPECT_EQ(In_Out_Error_Code(ENOTDIR), 3);
    EXPECT_EQ(In_Out_Error_Code(EMFILE), 4);
    EXPECT_EQ(In_Out_Error_Code(EACCES), 5);
    EXPECT_EQ(In_Out_Error_Code(EISDIR), 21);
    EXPECT_EQ(In_Out_Error_Message(21), "is a directory");
    EXPECT_EQ(In_Out_Error_Code(EROFS), 5);
    EXPECT_EQ(In_Out_Error_Code(ENOSPC), 101);
    // A failing disk must not read as "File access denied" although EIO is 5,
    // nor a network error as "Read beyond end of file" or "Disk full".
    EXPECT_EQ(EInOutError(In_Out_Error_Code(EIO)).Message(), "I/O error 162");
    EXPECT_EQ(In_Out_Error_Code(ENETDOWN), 162);
    EXPECT_EQ(In_Out_Error_Code(ENETUNREACH), 162);
    EXPECT_EQ(In_Out_Error_Code(ENXIO), ENXIO);
}

TEST(BinaryFile, LoadTakesAtMostTheRangeAndLeavesTheRestAlone)
{
    TTempDir dir;
    std::string bytes;
    for (int i = 0; i < 8192; ++i)
        bytes.push_back(static_cast<char>(i * 7 + 1));
    test::Write_Whole_File(dir.File("8k.bin"), bytes);
    test::Write_Whole_File(dir.File("1000.bin"), bytes.substr(0, 1000));
    test::Write_Whole_File(dir.File("empty.bin"), "");

    auto b = test::Filled_Buffer(0xEE, 0x07FF);
    Load_Binary_File(dir.File("8k.bin"), *b);
    EXPECT_EQ(std::string(b->Data.begin(), b->Data.begin() + 2048), bytes.substr(0, 2048));
    EXPECT_EQ(b->Data[2048], 0xEE);

    b = test::Filled_Buffer(0xEE, 0x07FF);
    Load_Binary_File(dir.File("1000.bin"), *b);
    EXPECT_EQ(b->Data[0x3E7], static_cast<uint8_t>(bytes[999]));
    EXPECT_EQ(b->Data[0x3E8], 0xEE);

    b = test::Filled_Buffer(0xEE, 0x07FF);
    Load_Binary_File(dir.File("empty.bin"), *b);
    EXPECT_EQ(b->Data, test::Filled_Buffer(0xEE, 0x07FF)->Data);
}

TEST(BinaryFile, SaveWritesTheRangeAndReproducesALoadedFile)
{
    TTempDir dir;
    for (auto [end, size] : {std::pair{0xFFFF, 65536}, {0x07FF, 2048}, {0, 1}}) {
        auto b = test::Random_Buffer(5, end);
        Save_Binary_File(dir.File("out.bin"), *b);
        std::string saved = test::Read_Whole_File(dir.File("out.bin"));
        ASSERT_EQ(saved.size(), static_cast<std::size_t>(size));
        EXPECT_EQ(saved, std::string(b->Data.begin(), b->Data.begin() + size));
    }
    // Load then save with the same type: the file's first range bytes again.
    auto b = test::Random_Buffer(6, 0x1FFF);
    Load_Binary_File(test::Data_File("image_2k.bin"), *b);
    Save_Binary_File(dir.File("again.bin"), *b);
    std::string again = test::Read_Whole_File(dir.File("again.bin"));
    EXPECT_EQ(again.substr(0, 2048), test::Read_Whole_File(test::Data_File("image_2k.bin")));
}

TEST(BinaryFile, ReadOnlyFileLoads)
{
    TTempDir dir;
    test::Write_Whole_File(dir.File("ro.bin"), "\x12\x34");
    ASSERT_EQ(chmod(dir.File("ro.bin").c_str(), 0444), 0);
    auto b = test::Filled_Buffer(0, 0x07FF);
    Load_Binary_File(dir.File("ro.bin"), *b);
    EXPECT_EQ(b->Data[1], 0x34);
}

TEST(FileFailures, MissingFilesDirectoriesAndBadPaths)
{
    TTempDir dir;
    auto b = test::Random_Buffer(8, 0x07FF);
    const auto before = b->Data;
    EXPECT_EQ(Error_Code_Of([&] { Load_Binary_File(dir.File("none.bin"), *b); }), 2);
    EXPECT_EQ(Error_Code_Of([&] { Load_Hex_File(dir.File("none.hex"), *b); }), 2);
    EXPECT_EQ(Error_Code_Of([&] { Load_Binary_File(dir.Path(), *b); }), 21);
    EXPECT_EQ(Error_Code_Of([&] { Load_Hex_File(dir.Path(), *b); }), 21);
    EXPECT_EQ(Error_Code_Of([&] { Save_Binary_File(dir.Path(), *b); }), 21);
    EXPECT_EQ(Error_Code_Of([&] { Save_Hex_File(dir.Path(), 1, *b); }), 21);
    try {
        Load_Hex_File(dir.Path(), *b);
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Line_Text(), dir.Path() + " is a directory.");
    }
    EXPECT_EQ(Error_Code_Of([&] { Save_Hex_File(dir.File("no/such/dir.hex"), 1, *b); }), 2);
    test::Write_Whole_File(dir.File("plain"), "x");
    EXPECT_EQ(Error_Code_Of([&] { Save_Binary_File(dir.File("plain/x.bin"), *b); }), 3);
    EXPECT_EQ(b->Data, before);
}

// Runs a file command on a thread of its own and gives its error code (0 when
// it succeeded).  A command still running after a generous wait is a hang:
// `release` then opens the FIFO's other end to free it, and -1 is returned.
template <class F> int Error_Code_Unless_Hung(F&& command, const std::function<void()>& release)
{
    std::promise<int> done;
    std::future<int> code = done.get_future();
    std::thread worker([&] { done.set_value(Error_Code_Of(command)); });
    bool hung = code.wait_for(std::chrono::seconds(10)) != std::future_status::ready;
    if (hung)
        release();
    worker.join();
    return hung ? -1 : code.get();
}

TEST(FileFailures, FifosAndDevicesAreRefusedInsteadOfHanging)
{
    TTempDir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A reader blocked in open is freed by a writer that comes and goes: it
    // then sees an empty pipe.
    auto writer_comes_and_goes = [&] { close(open(fifo.c_str(), O_RDWR)); };
    auto b = test::Random_Buffer(14, 0x07FF);
    const auto before = b->Data;
    EXPECT_EQ(Error_Code_Unless_Hung([&] { Load_Hex_File(fifo, *b); }, writer_comes_and_goes), 5);
    EXPECT_EQ(Error_Code_Unless_Hung([&] { Load_Binary_File(fifo, *b); }, writer_comes_and_goes),
              5);
    // A writer blocked in open is freed by a reader; 2 KiB of hex fits the
    // pipe, and the reader stays open until the writer is done.
    int reader = -1;
    EXPECT_EQ(Error_Code_Unless_Hung([&] { Save_Hex_File(fifo, 1, *b); },
                                     [&] { reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK); }),
              ENXIO);
    if (reader >= 0)
        close(reader);
    // A device is refused too: /dev/zero as hex would be one endless line.
    EXPECT_EQ(Error_Code_Of([&] { Load_Binary_File("/dev/zero", *b); }), 5);
    EXPECT_EQ(b->Data, before);
}

TEST(FileFailures, FullDiskIsReportedForEveryWriter)
{
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full is not available here";
    auto b = test::Random_Buffer(9, 0xFFFF);
    EXPECT_EQ(Error_Code_Of([&] { Save_Binary_File("/dev/full", *b); }), 101);
    for (int type : {1, 2, 3})
        EXPECT_EQ(Error_Code_Of([&] { Save_Hex_File("/dev/full", type, *b); }), 101) << type;
    try {
        Save_Hex_File("/dev/full", 1, *b);
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Disk full");
    }
}

TEST(FileFailures, ReadOnlyDirectoryRefusesToCreate)
{
    TTempDir dir;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0555), 0);
    // Root is not held back by permission bits: try a plain create first.
    std::string probe = dir.File("probe");
    int fd = open(probe.c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd >= 0) {
        close(fd);
        GTEST_SKIP() << "permission bits do not apply to this user (root)";
    }
    auto b = test::Random_Buffer(10, 0x07FF);
    EXPECT_EQ(Error_Code_Of([&] { Save_Binary_File(dir.File("x.bin"), *b); }), 5);
    EXPECT_EQ(Error_Code_Of([&] { Save_Hex_File(dir.File("x.hex"), 2, *b); }), 5);
}

// sysfs refuses new files with EACCES even to root, so this one runs in CI.
TEST(FileFailures, FolderThatRefusesNewFilesEvenToRoot)
{
    const std::string path = "/sys/gang_files_probe.bin";
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = errno;
    if (fd >= 0) {
        close(fd);
        unlink(path.c_str());
    }
    if (fd >= 0 || err != EACCES)
        GTEST_SKIP() << "/sys does not refuse new files here";
    auto b = test::Random_Buffer(13, 0x07FF);
    EXPECT_EQ(Error_Code_Of([&] { Save_Binary_File(path, *b); }), 5);
    EXPECT_EQ(Error_Code_Of([&] { Save_Hex_File(path, 3, *b); }), 5);
}

TEST(HexFile, SaveCreatesOrEmptiesAndLoadReadsBack)
{
    TTempDir dir;
    test::Write_Whole_File(dir.File("old.hex"), std::string(100000, 'Q'));
    auto b = test::Random_Buffer(11, 0x0FFF);
    Save_Hex_File(dir.File("old.hex"), 2, *b);
    std::string text = test::Read_Whole_File(dir.File("old.hex"));
    EXPECT_EQ(text.find('Q'), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 14), "S804000000FB\r\n");

    Save_Hex_File(dir.File("other.hex"), 7, *b);
    EXPECT_EQ(test::Read_Whole_File(dir.File("other.hex")), "");

    auto c = test::Random_Buffer(12, 0x0FFF);
    Load_Hex_File(dir.File("old.hex"), *c);
    EXPECT_TRUE(std::equal(c->Data.begin(), c->Data.begin() + 0x1000, b->Data.begin()));
}

TEST(HexFile, FailedLoadKeepsWhatWasStoredBeforeTheBadGroup)
{
    TTempDir dir;
    test::Write_Whole_File(dir.File("bad.hex"), ":020000001122CB\r\n:02000200334X00\r\n");
    auto b = test::Filled_Buffer(0, 0xFFFF);
    try {
        Load_Hex_File(dir.File("bad.hex"), *b);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Line_Text(), dir.File("bad.hex") + ":2: '$4X' is not a valid integer value.");
        EXPECT_EQ(e.Box_Text(),
                  "'$4X' is not a valid integer value.\n" + dir.File("bad.hex") + ":2");
    }
    EXPECT_EQ(b->Data[0], 0x11);
    EXPECT_EQ(b->Data[1], 0x22);
    EXPECT_EQ(b->Data[2], 0x33); // the byte before the bad group
    EXPECT_EQ(b->Data[3], 0x00);
}

// A save that fails part way (the file size limit stops the write, as a
// full disk would) leaves the old file whole and no other file behind.
TEST(HexFile, AFailedSaveLeavesTheOldFile)
{
    TTempDir dir;
    const std::string path = dir.File("keep.hex");
    test::Write_Whole_File(path, "old contents");
    auto b = test::Random_Buffer(15, 0xFFFF);
    struct rlimit before {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto old_handler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int binary = Error_Code_Of([&] { Save_Binary_File(path, *b); });
    const int hex = Error_Code_Of([&] { Save_Hex_File(path, 2, *b); });
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, old_handler);
    EXPECT_EQ(binary, 101);
    EXPECT_EQ(hex, 101);
    EXPECT_EQ(test::Read_Whole_File(path), "old contents");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"keep.hex"});
}

// A ROM image based at 8000 for a 27C128 (3FFF): where its bytes land for
// each offset, and what the Buffer then holds.
TEST(ImagePlacement, TheOffsetMovesTheImageAndNamesWhatFallsOutside)
{
    TImageMap image;
    for (int64_t a = 0x8000; a < 0x9000; ++a)
        image.Put(a, static_cast<uint8_t>(a));
    image.Put(0xBFFF, 0x5A);

    const TPlacement as_is = Plan_Placement(image, 0, 0x3FFF);
    EXPECT_EQ(as_is.Beyond, (std::vector<TAddressRange>{{0x8000, 0x8FFF}, {0xBFFF, 0xBFFF}}));
    EXPECT_EQ(as_is.Beyond_Count, 0x1001);
    EXPECT_FALSE(as_is.Fits());

    const TPlacement moved = Plan_Placement(image, -0x8000, 0x3FFF);
    EXPECT_TRUE(moved.Fits());
    EXPECT_EQ(moved.Left_Blank, (std::vector<TAddressRange>{{0x1000, 0x3FFE}}));

    // Moved 1000 too far on a 2764: the first 4 KiB land under address 0,
    // BFFF past the end (at 2FFF).
    const TPlacement too_far = Plan_Placement(image, -0x9000, 0x1FFF);
    EXPECT_EQ(too_far.Below, (std::vector<TAddressRange>{{0x8000, 0x8FFF}}));
    EXPECT_EQ(too_far.Beyond, (std::vector<TAddressRange>{{0xBFFF, 0xBFFF}}));
    EXPECT_EQ(too_far.Left_Blank, (std::vector<TAddressRange>{{0, 0x1FFF}}));

    auto b = test::Filled_Buffer(0x00, 0x3FFF);
    Place_Image(image, -0x8000, *b);
    EXPECT_EQ(b->Data[0x0000], 0x00);
    EXPECT_EQ(b->Data[0x0FFF], 0xFF);
    EXPECT_EQ(b->Data[0x0ABC], 0xBC);
    EXPECT_EQ(b->Data[0x1000], 0xFF) << "a byte no file address lands on is left erased";
    EXPECT_EQ(b->Data[0x3FFF], 0x5A);
}

// A binary file's byte n is at address n, however long the file is.
TEST(ImagePlacement, ABinaryFileIsOneRangeFromZero)
{
    TTempDir dir;
    test::Write_Whole_File(dir.File("fw.bin"), std::string(0x12345, '\x11'));
    const TImageMap image = Read_Image_File(dir.File("fw.bin"), TFileType::Binary);
    EXPECT_EQ(image.Ranges(), (std::vector<TAddressRange>{{0, 0x12344}}));
    test::Write_Whole_File(dir.File("empty.bin"), "");
    EXPECT_TRUE(Read_Image_File(dir.File("empty.bin"), TFileType::Binary).Empty());
}

} // namespace
} // namespace gang
