// A whole session at the window as a user works it, with mouse clicks and
// typed keys on the real widgets over the simulated adapter: choose a type
// and a gang size from the lists, fill the Buffer with a typed value,
// program, verify (all pass, then one socket differs), look into the hex
// view and leave it with Tab, then quit.  A program run that meets a
// write-protected 28C64 unlocks it.
#include "main_form_test_rig.h"
#include "support/device_type.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace gang {
namespace {

using test::TWindowRig;

constexpr int Gang_Of_Three = 3;
constexpr uint32_t Size_28C16 = 0x800;

void Click(TMainForm& f, const char* button)
{
    QWidget* w = f.Control(button);
    ASSERT_TRUE(w->isVisible() && w->isEnabled()) << button;
    QTest::mouseClick(w, Qt::LeftButton);
}

QString Text_Of(TMainForm& f, const char* name)
{
    if (auto* label = qobject_cast<QLabel*>(f.Control(name)))
        return label->text();
    return f.Control_As<QPushButton>(name)->text();
}

TEST(MainFormSession, ChooseFillProgramVerifyEditAndQuitWithMouseAndKeys)
{
    TWindowRig rig(test::Adapter_At(0x378));
    TMainForm& f = *rig.Form;
    ASSERT_TRUE(rig.Show_And_Activate());
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));

    // Type and gang size from the lists; the chips go in once the type is known
    // (EEPROMs, whose fast write cycles keep the run short).
    TWindowRig::Click_Row(f.Control_As<QListWidget>("Device_Box"), test::Row_Of("28C16"));
    EXPECT_EQ(Text_Of(f, "Device"), "28C16");
    EXPECT_TRUE(f.Control("Device_Box")->isHidden());
    TWindowRig::Click_Row(f.Control_As<QListWidget>("Num_Of_Devices"), Gang_Of_Three);
    EXPECT_TRUE(f.Control("Num_Of_Devices")->isHidden());
    EXPECT_EQ(Text_Of(f, "End_Add"), "End Of Eprom=07FF");
    for (int s = 1; s <= 3; ++s)
        rig.Sim.Insert_Chip(s, "28C16");
    rig.Sim.Set_Fast_Chips(true);

    // Fill with a typed value: lower-case digits show as capitals.
    Click(f, "Fill");
    EXPECT_FALSE(f.Control("Program_Eprom")->isEnabled());
    TWindowRig::Click_Row(f.Control_As<QListWidget>("FillBox"), 2);
    auto* fill_edit = f.Control_As<QLineEdit>("FillEdit");
    ASSERT_FALSE(fill_edit->isHidden());
    EXPECT_TRUE(fill_edit->hasFocus());
    QTest::keyClicks(fill_edit, "a5");
    EXPECT_EQ(fill_edit->text(), "A5");
    QTest::keyClick(fill_edit, Qt::Key_Return);
    EXPECT_TRUE(fill_edit->isHidden());
    EXPECT_TRUE(f.Control("FillBox")->isHidden());
    EXPECT_EQ(f.Buffer()[0x0000], 0xA5);
    EXPECT_EQ(f.Buffer()[0xFFFF], 0xA5);
    EXPECT_TRUE(f.Control("Program_Eprom")->isEnabled());

    // Program the gang of three: every socket and every address.
    Click(f, "Program_Eprom");
    for (const char* name : {"Device_1", "Device_2", "Device_3"})
        EXPECT_FALSE(f.Control(name)->isHidden()) << name;
    EXPECT_TRUE(f.Control("Device_4")->isHidden());
    EXPECT_EQ(Text_Of(f, "Device_1"), "1-Programmed OK ");
    EXPECT_EQ(Text_Of(f, "Device_3"), "3-Programmed OK ");
    EXPECT_EQ(Text_Of(f, "Quit_Func_But"), "&Quit = 0800");
    EXPECT_TRUE(f.Control("StaticText2")->isHidden());
    for (int s = 1; s <= 3; ++s) {
        EXPECT_EQ(rig.Sim.Chip_Byte(s, 0), 0xA5) << s;
        EXPECT_EQ(rig.Sim.Chip_Byte(s, Size_28C16 - 1), 0xA5) << s;
    }

    Click(f, "Verify_Eprom");
    EXPECT_EQ(Text_Of(f, "Device_1"), "1- Verified OK   ");
    EXPECT_EQ(Text_Of(f, "Device_2"), "2- Verified OK   ");
    EXPECT_EQ(Text_Of(f, "Device_3"), "3- Verified OK   ");
    rig.Sim.Set_Chip_Byte(2, 0x123, 0x00);
    Click(f, "Verify_Eprom");
    EXPECT_EQ(Text_Of(f, "Device_1"), "1- Verified OK   ");
    EXPECT_EQ(Text_Of(f, "Device_2"), "2-Didn't Verify");
    EXPECT_EQ(Text_Of(f, "Device_3"), "3- Verified OK   ");

    // The checksum of 2 KiB of A5 (0x800 * 0xA5 = 0x52800, low 16 bits).
    Click(f, "Chk_Sum_But");
    EXPECT_EQ(Text_Of(f, "Chk_Sum_But"), "CheckSum=2800");

    // The hex view opens focused on the filled page and Tab closes it.
    Click(f, "Edit");
    auto* view = f.Control_As<QPlainTextEdit>("Edit_1");
    ASSERT_FALSE(view->isHidden());
    EXPECT_TRUE(view->hasFocus());
    EXPECT_TRUE(view->toPlainText().startsWith(
        "Address = 00000              Hex Data = A5                Ascii Data = ."));
    QTest::keyClicks(view, "0f");
    EXPECT_EQ(f.Buffer()[0], 0x0F);
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_TRUE(view->isHidden());
    EXPECT_FALSE(view->hasFocus());

    // Nothing asked the user anything, and Quit ends the session.
    EXPECT_TRUE(rig.Messages.empty());
    Click(f, "Quit_But");
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.Life().Port_Given_Back());
}

TEST(MainFormSession, ProgramUnlocksAWriteProtected28C64)
{
    TWindowRig rig(test::Adapter_At(0x378));
    TMainForm& f = *rig.Form;
    ASSERT_TRUE(rig.Show_And_Activate());
    TWindowRig::Click_Row(f.Control_As<QListWidget>("Device_Box"), test::Row_Of("28C64"));
    TWindowRig::Click_Row(f.Control_As<QListWidget>("Num_Of_Devices"), 1);
    rig.Sim.Insert_Chip(1, "28C64", {sim::TFaultKind::Sdp_Locked});
    rig.Sim.Set_Fast_Chips(true);
    Click(f, "Fill");
    TWindowRig::Click_Row(f.Control_As<QListWidget>("FillBox"), 0); // 00

    Click(f, "Program_Eprom");
    EXPECT_EQ(Text_Of(f, "Device_1"), "1-Programmed OK ");
    EXPECT_EQ(rig.Sim.Chip_Byte(1, 0x0000), 0x00);
    EXPECT_EQ(rig.Sim.Chip_Byte(1, 0x1FFF), 0x00);
    EXPECT_EQ(rig.Sim.Slow_Unlock_Events(), 0u);
    EXPECT_TRUE(rig.Messages.empty());
}

} // namespace
} // namespace gang
