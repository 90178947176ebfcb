// The running window end to end over the simulated adapter: the activation
// sequence with the adapter present and absent, a close request while a
// programming run is under way, and the adapter left at rest by a close.
#include "main_form_test_rig.h"
#include "support/device_type.h"

#include "link/latches.h"

#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace gang {
namespace {

using test::TWindowRig;

constexpr int Gang_Of_Three = 3;

TEST(MainFormStartup, AdapterPresentLogsTheSearchAndOffersTheDeviceList)
{
    TWindowRig rig(test::Adapter_At(0x378));
    TMainForm& f = *rig.Form;
    ASSERT_TRUE(rig.Show_And_Activate());

    const std::vector<std::string>& log = f.Model().Memo1.Lines();
    ASSERT_GE(log.size(), 6u);
    EXPECT_EQ(log[2], "Port Address - 0378 Expected - A5 / Found - A5");
    EXPECT_EQ(log[5], "Port Address - 0378 Expected - 5A / Found - 5A");
    EXPECT_EQ(f.Model().StaticText3.Tag, 1);
    EXPECT_TRUE(rig.Messages.empty());
    EXPECT_GE(f.Link().Pulse_Unit, 1u);
    EXPECT_TRUE(f.isEnabled());
    EXPECT_TRUE(f.Control("Device_Box")->isVisible());
    EXPECT_FALSE(f.Control("Memo1")->isVisible());
    EXPECT_FALSE(f.Control("Program_Eprom")->isEnabled());
    EXPECT_TRUE(f.Control("Quit_But")->isEnabled());

    // A click on a list row delivers its index: type, then gang size.
    auto* devices = f.Control_As<QListWidget>("Device_Box");
    emit devices->itemClicked(devices->item(test::Row_Of("27C256")));
    EXPECT_EQ(f.Model().Device.Caption(), "27C256");
    EXPECT_TRUE(f.Control("Num_Of_Devices")->isVisible());
    auto* gang = f.Control_As<QListWidget>("Num_Of_Devices");
    emit gang->itemClicked(gang->item(Gang_Of_Three));
    EXPECT_EQ(f.Model().Num_Of_Devices.Tag, 3);
    EXPECT_FALSE(f.Control("Num_Of_Devices")->isVisible());
    for (const char* name : {"Program_Eprom", "Blank_Chk", "Verify_Eprom", "Move_Eprom", "Vpp_But",
                             "Device", "Load_But"})
        EXPECT_TRUE(f.Control(name)->isEnabled()) << name;
    EXPECT_TRUE(f.Control("Device_1")->isVisible());
    EXPECT_TRUE(f.Control("Device_3")->isVisible());
    EXPECT_FALSE(f.Control("Device_4")->isVisible());

    // Activation does not run again when the window is shown again.
    const std::size_t lines = f.Model().Memo1.Lines().size();
    f.hide();
    f.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Model().Memo1.Lines().size(), lines);
}

TEST(MainFormStartup, AdapterAbsentReportsItAndKeepsTheDeviceButtonsOff)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    ASSERT_TRUE(rig.Show_And_Activate());

    ASSERT_EQ(rig.Messages.size(), 1u);
    const TMessage& m = rig.Messages[0];
    EXPECT_EQ(m.Kind, TMessageKind::Information);
    EXPECT_TRUE(m.Positioned);
    EXPECT_EQ(m.X, 375);
    EXPECT_EQ(m.Y, 175);
    EXPECT_EQ(m.Text, "The Tarvik Programmer Can Not\r\nBe Found On LPT1, LPT2 or LPT3.\r\n\r\n"
                      "..Make Sure Your Power Pack is Plugged In..");
    EXPECT_EQ(f.Model().StaticText3.Tag, 0);
    EXPECT_TRUE(f.Control("Device_Box")->isVisible());

    f.Device_BoxClick(test::Row_Of("27C256"));
    f.Num_Of_DevicesClick(1);
    for (const char* name : {"Program_Eprom", "Blank_Chk", "Verify_Eprom", "Move_Eprom", "Vpp_But"})
        EXPECT_FALSE(f.Control(name)->isEnabled()) << name;
    for (const char* name : {"Device", "Load_But", "Save_But", "File_But", "Edit", "Fill"})
        EXPECT_TRUE(f.Control(name)->isEnabled()) << name;

    // Closing without a programmer touches no port.
    const uint64_t accesses = rig.Sim.Port_Accesses();
    EXPECT_TRUE(f.close());
    EXPECT_EQ(rig.Sim.Port_Accesses(), accesses);
}

TEST(MainFormStartup, CloseDuringProgrammingStopsTheRunThenReleasesThePort)
{
    TWindowRig rig(test::Adapter_At(0x378));
    TMainForm& f = *rig.Form;
    ASSERT_TRUE(rig.Show_And_Activate());
    f.Device_BoxClick(test::Row_Of("27C256"));
    f.Num_Of_DevicesClick(1);
    rig.Sim.Insert_Chip(1, "27C256");
    rig.Sim.Set_Fast_Chips(true);

    bool run_returned = false;
    bool visible_when_run_returned = false;
    int handlers_at_close = -1;
    QTimer::singleShot(0, &f, [&] {
        f.Program_EpromClick();
        run_returned = true;
        visible_when_run_returned = f.isVisible();
    });
    // The user closes the window once the run is under way.
    QTimer::singleShot(200, &f, [&] {
        handlers_at_close = f.Life().Running_Handlers();
        f.Quit_ButClick();
        EXPECT_TRUE(f.isVisible()); // the run has not unwound yet
        EXPECT_TRUE(f.Link().Port_Open);
    });
    ASSERT_TRUE(TWindowRig::Wait_For([&] { return run_returned; }));

    EXPECT_EQ(handlers_at_close, 1);
    EXPECT_FALSE(visible_when_run_returned);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.Life().Port_Given_Back());
    EXPECT_FALSE(f.Link().Port_Open);
    EXPECT_EQ(rig.Sim.Chip_Byte(1, 0x0000), 0x00); // the run had begun
    EXPECT_EQ(rig.Sim.Chip_Byte(1, 0x7FFF), 0xFF); // and stopped early
    const uint64_t accesses = rig.Sim.Port_Accesses();
    f.Program_EpromClick(); // refused: the window has closed
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.Sim.Port_Accesses(), accesses);
}

TEST(MainFormStartup, CloseFromTheReadyStateLeavesTheAdapterAtRest)
{
    // The voltage latches are written once the programmer is found and again
    // by the voltage button: the close must take the programming voltage off.
    TWindowRig rig(test::Adapter_At(0x378));
    TMainForm& f = *rig.Form;
    ASSERT_TRUE(rig.Show_And_Activate());
    f.Device_BoxClick(test::Row_Of("27C256"));
    f.Num_Of_DevicesClick(1);
    QTest::mouseClick(f.Control("Vpp_But"), Qt::LeftButton);
    ASSERT_FALSE(rig.Sim.At_Rest()) << "the voltage click sets no voltage";

    QTest::mouseClick(f.Control("Quit_But"), Qt::LeftButton);
    ASSERT_FALSE(f.isVisible());
    EXPECT_EQ(rig.Sim.Latch(latch::Latch_3), latch::Reset_Latch_3);
    EXPECT_EQ(rig.Sim.Latch(latch::Vpp_Latch), latch::Reset_Vpp);
    EXPECT_EQ(rig.Sim.Latch(latch::Socket_Latch), latch::Reset_Socket);
    EXPECT_EQ(rig.Sim.Latch(latch::Add_Hi_Latch), latch::Reset_Add_Hi);
    EXPECT_EQ(rig.Sim.Latch(latch::Add_Lo_Latch), latch::Reset_Add_Lo);
    EXPECT_EQ(rig.Sim.ReadByte(0x378 + 2), latch::Control_Rest);
}

} // namespace
} // namespace gang
