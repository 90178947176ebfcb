// The file commands of the window: file type choice, load and save through
// the (replaced) dialogs, banners, the last-file text and the error box.
#include "main_form_test_rig.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace gang {
namespace {

using test::TWindowRig;

std::string Temp_Path(const char* stem)
{
    return std::string("/tmp/window_files_") + stem + "_" + std::to_string(::getpid());
}

bool Exists(const std::string& path)
{
    return std::ifstream(path).good();
}

// A dialog that "confirms" the given path.
TFileDialogRunner Confirm(const std::string& path)
{
    return [path](TFileDialogState& d) {
        d.FileName = path;
        return true;
    };
}

TEST(MainFormFiles, FileTypeListHoldsTheWindowBusyAndSetsBothDialogs)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    f.File_ButClick();
    EXPECT_FALSE(f.Control("File_Type")->isHidden());
    for (const char* name : {"Load_But", "Save_But", "File_But", "Device"})
        EXPECT_FALSE(f.Control(name)->isEnabled()) << name;

    f.File_TypeClick(1);
    EXPECT_EQ(f.Control_As<QPushButton>("File_But")->text(), "Intel Hex File");
    EXPECT_TRUE(f.Control("File_Type")->isHidden());
    EXPECT_TRUE(f.Control("Load_But")->isEnabled());
    EXPECT_EQ(f.Files().OpenDialog1.DefaultExt, "Hex");
    EXPECT_EQ(f.Files().SaveDialog1.FilterIndex, 2);

    f.File_ButClick();
    f.File_TypeClick(0);
    EXPECT_EQ(f.Control_As<QPushButton>("File_But")->text(), "Binary File");
    EXPECT_EQ(f.Files().OpenDialog1.DefaultExt, "Bin");
    EXPECT_EQ(f.Files().OpenDialog1.FilterIndex, 1);
    EXPECT_EQ(f.Files().SaveDialog1.DefaultExt, "Bin");
    // The dialogs start in the current directory.
    EXPECT_FALSE(f.Files().OpenDialog1.InitialDir.empty());
}

TEST(MainFormFiles, CancelledDialogsChangeNothingButTheLoadStillSums)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    f.Buffer()[0] = 0x12;
    f.Load_ButClick();
    EXPECT_EQ(f.Model().StaticText4.Caption(), "Last File Loaded in Buffer=No File Loaded");
    EXPECT_NE(f.Model().Chk_Sum_But.Caption().find("0012"), std::string::npos);
    EXPECT_TRUE(rig.Messages.empty());

    const std::string path = Temp_Path("never");
    bool asked = false;
    f.Set_File_Dialog_Runner([&](TFileDialogState& d) {
        asked = d.Save;
        d.FileName = path;
        return false;
    });
    f.Save_ButClick();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(Exists(path));
}

TEST(MainFormFiles, MissingFileEndsTheLoadInTheErrorBox)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    const std::string before = f.Model().Chk_Sum_But.Caption();
    f.Buffer()[0] = 0x34;
    f.Set_Box_Title("Gang Adapter");
    f.Set_File_Dialog_Runner(Confirm(Temp_Path("missing") + ".Bin"));
    f.Load_ButClick();

    ASSERT_EQ(rig.Messages.size(), 1u);
    EXPECT_EQ(rig.Messages[0].Kind, TMessageKind::Error);
    EXPECT_EQ(rig.Messages[0].Text, "File not found.\n" + Temp_Path("missing") + ".Bin");
    EXPECT_EQ(rig.Messages[0].Title, "Gang Adapter");
    EXPECT_EQ(f.Model().StaticText4.Caption(), "Last File Loaded in Buffer=No File Loaded");
    EXPECT_EQ(f.Model().Chk_Sum_But.Caption(), before);
    EXPECT_EQ(f.Buffer()[0], 0x34);
}

void Write_File(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A load that fails changes nothing: not the Buffer, the label or the
// checksum, and its banner goes down.  A wrong record checksum asks first;
// No, the default, is a refusal too, Yes loads the file.
TEST(MainFormFiles, AFailedLoadChangesNothing)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    f.Buffer().End_Of_Eprom = 0x07FF; // a 2 KiB type chosen
    f.File_ButClick();
    f.File_TypeClick(1);
    for (std::size_t a = 0; a < f.Buffer().Data.size(); ++a)
        f.Buffer().Data[a] = static_cast<uint8_t>(a * 13 + 5);
    const TBuffer before = f.Buffer();
    const std::string label = f.Model().StaticText4.Caption();
    const std::string sum = f.Model().Chk_Sum_But.Caption();
    const auto unchanged = [&] {
        EXPECT_EQ(f.Buffer().Data, before.Data);
        EXPECT_EQ(f.Model().StaticText4.Caption(), label);
        EXPECT_EQ(f.Model().Chk_Sum_But.Caption(), sum);
        EXPECT_TRUE(f.Control("StaticText2")->isHidden());
    };

    const std::string path = Temp_Path("garbage") + ".Hex";
    Write_File(path, ":0100000011EE\r\nga\r\n");
    f.Set_File_Dialog_Runner(Confirm(path));
    f.Load_ButClick();
    ASSERT_EQ(rig.Messages.size(), 1u);
    EXPECT_EQ(rig.Messages[0].Text, "'$ga' is not a valid integer value.\n" + path + ":2");
    unchanged();

    Write_File(path, ":0100000011EE\r\n:0100010022DD\r\n");
    f.Load_ButClick();
    ASSERT_EQ(rig.Messages.size(), 2u);
    EXPECT_EQ(rig.Messages[1].Kind, TMessageKind::Question);
    EXPECT_FALSE(rig.Messages[1].Default_Yes);
    EXPECT_EQ(rig.Messages[1].Text,
              "record checksum DD, computed DC.\n" + path + ":2\n\nLoad the file anyway?");
    unchanged();

    rig.Answer_Yes = true;
    f.Load_ButClick();
    std::remove(path.c_str());
    EXPECT_EQ(rig.Messages.size(), 3u);
    EXPECT_EQ(f.Buffer()[1], 0x22);
    EXPECT_EQ(f.Model().StaticText4.Caption(), "Last File Loaded in Buffer=" + path);
}

// With a 64 KiB device, data at 10000 lands at 0000 as before, and the box
// says so; so does a binary file longer than the device.  Hex text loaded
// as a binary image is asked about first.
TEST(MainFormFiles, DataBeyondTheDeviceIsToldInOneBox)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    f.Buffer().End_Of_Eprom = 0xFFFF;
    f.File_ButClick();
    f.File_TypeClick(1);
    const std::string path = Temp_Path("beyond") + ".Hex";
    Write_File(path, ":010000006699\r\n:020000040001F9\r\n:010000007788\r\n");
    f.Set_File_Dialog_Runner(Confirm(path));
    f.Load_ButClick();
    ASSERT_EQ(rig.Messages.size(), 1u);
    EXPECT_EQ(rig.Messages[0].Kind, TMessageKind::Information);
    EXPECT_EQ(rig.Messages[0].Text,
              "1 byte of the file lies beyond the device's last address FFFF, the first at "
              "10000:\n- 1 byte was loaded at the address reduced to the device's size "
              "(10000 at 0000).\n1 byte was loaded onto an address that already held a byte of "
              "the file (the first at 0000): the later byte replaced the earlier one.");
    EXPECT_EQ(f.Buffer()[0], 0x77);

    // The same file chosen as "Binary File": asked, Yes by default.
    rig.Messages.clear();
    f.File_ButClick();
    f.File_TypeClick(0);
    rig.Answer_Yes = true;
    f.Buffer()[0] = 0;
    f.Load_ButClick();
    ASSERT_EQ(rig.Messages.size(), 2u);
    EXPECT_EQ(rig.Messages[0].Kind, TMessageKind::Question);
    EXPECT_TRUE(rig.Messages[0].Default_Yes);
    EXPECT_EQ(f.Buffer()[0], 0x77);

    rig.Messages.clear();
    f.Buffer().End_Of_Eprom = 0x1FFF;
    Write_File(path, std::string(0x3000, '\x01'));
    f.Load_ButClick();
    std::remove(path.c_str());
    ASSERT_EQ(rig.Messages.size(), 1u);
    EXPECT_EQ(rig.Messages[0].Text, "The file holds 12288 bytes, the device 8192 bytes: the "
                                    "4096 bytes from address 2000 on were not loaded.");
}

TEST(MainFormFiles, HexSaveAndLoadRoundTripWithBannersHiddenAfterwards)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    f.File_ButClick();
    f.File_TypeClick(2); // Motorola
    f.Buffer()[0] = 0xA7;
    const std::string path = Temp_Path("srec") + ".Hex";
    f.Set_File_Dialog_Runner(Confirm(path));
    f.Save_ButClick();
    EXPECT_TRUE(f.Control("StaticText2")->isHidden());
    EXPECT_EQ(f.Model().StaticText2.Caption(), "Saving Buffer to Hex File....");
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("S", 0), 0u);

    f.Buffer()[0] = 0x00;
    f.File_ButClick();
    f.File_TypeClick(1); // any text kind reads every kind
    f.Load_ButClick();
    std::remove(path.c_str());
    EXPECT_TRUE(rig.Messages.empty());
    EXPECT_EQ(f.Buffer()[0], 0xA7);
    EXPECT_EQ(f.Model().StaticText2.Caption(), "Loading Buffer from Hex File....");
    EXPECT_TRUE(f.Control("StaticText2")->isHidden());
    EXPECT_EQ(f.Model().StaticText4.Caption(), "Last File Loaded in Buffer=" + path);
    EXPECT_NE(f.Model().Chk_Sum_But.Caption().find("00A7"), std::string::npos);
}

TEST(MainFormFiles, BinarySaveBeforeAnyTypeWritesOneByte)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    f.Buffer()[0] = 0x5C;
    f.Buffer()[1] = 0x77;
    const std::string path = Temp_Path("one") + ".Bin";
    f.Set_File_Dialog_Runner(Confirm(path));
    f.Save_ButClick();
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    EXPECT_EQ(bytes, std::string(1, '\x5C'));
    EXPECT_TRUE(rig.Messages.empty());
}

} // namespace
} // namespace gang
