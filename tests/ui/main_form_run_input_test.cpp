// The window while a run is under way, with real clicks delivered by the
// event loop that the run pumps: a click on a shown list or a command button
// changes nothing of the run, the stop button and Quit reach a 28C256 page
// run between its pages, and the counter is painted as it counts.
#include "main_form_test_rig.h"
#include "support/device_type.h"

#include <QLabel>
#include <QPushButton>
#include <qpa/qwindowsysteminterface.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace gang {
namespace {

using test::TWindowRig;

constexpr int32_t End_32K = 0x7FFF;

QString Caption(TMainForm& f, const char* name)
{
    if (auto* label = qobject_cast<QLabel*>(f.Control(name)))
        return label->text();
    return f.Control_As<QPushButton>(name)->text();
}

// A shown window over the adapter at 378 with a type and gang size chosen
// from the lists, the gang's chips in and the Buffer holding a pattern.
void Set_Up(TWindowRig& rig, int type_row, int gang, const char* chip)
{
    TMainForm& f = *rig.Form;
    ASSERT_TRUE(rig.Show_And_Activate());
    TWindowRig::Click_Row(rig.List("Device_Box"), type_row);
    TWindowRig::Click_Row(rig.List("Num_Of_Devices"), gang);
    for (int s = 1; s <= gang; ++s)
        rig.Sim.Insert_Chip(s, chip);
    rig.Sim.Set_Fast_Chips(true);
    for (std::size_t a = 0; a < f.Buffer().Data.size(); ++a)
        f.Buffer().Data[a] = static_cast<uint8_t>(a * 7 + 1);
}

void Expect_Programmed(TWindowRig& rig, int gang, uint32_t from, uint32_t to)
{
    for (int s = 1; s <= gang; ++s)
        for (uint32_t a : {from, to})
            EXPECT_EQ(rig.Sim.Chip_Byte(s, a), rig.Form->Buffer().Data[a]) << s << "/" << a;
}

TEST(MainFormRunInput, ClicksOnListsAndCommandsDuringARunChangeNothingOfIt)
{
    TWindowRig rig(test::Adapter_At(0x378));
    TMainForm& f = *rig.Form;
    Set_Up(rig, test::Row_Of("27C256"), 3, "27C256");
    // Pulses take real time: erased bytes (FF) need none, so a byte every
    // 1 KiB and the last one keep the run short.
    for (std::size_t a = 0; a <= End_32K; ++a)
        if (a % 0x400 != 0 && a != End_32K)
            f.Buffer().Data[a] = 0xFF;
    // The type list left shown in the ready state: Device opens it, the
    // re-search from the status line ends the busy state around it.
    QTest::mouseClick(f.Control("Device"), Qt::LeftButton);
    QTest::mouseClick(f.Control("StaticText3"), Qt::LeftButton);
    ASSERT_TRUE(f.Control("Program_Eprom")->isEnabled());
    ASSERT_FALSE(f.Control("Device_Box")->isHidden());

    // Into the run: the 2716 row (25 V), then the gang list if it showed,
    // then Program if it came back, each at the next pulse past its address.
    int step = 0;
    rig.During_Run([&] {
        const int32_t at = f.Link().Cur_Add;
        if (step == 0 && at >= 0x0200) {
            TWindowRig::Click_Row(rig.List("Device_Box"), test::Row_Of("2716"));
            ++step;
        } else if (step == 1 && at >= 0x0400) {
            if (!f.Control("Num_Of_Devices")->isHidden())
                TWindowRig::Click_Row(rig.List("Num_Of_Devices"), 3);
            ++step;
        } else if (step == 2 && at >= 0x0600) {
            if (f.Control("Program_Eprom")->isEnabled())
                QTest::mouseClick(f.Control("Program_Eprom"), Qt::LeftButton);
            ++step;
        }
    });
    QTest::mouseClick(f.Control("Program_Eprom"), Qt::LeftButton);
    rig.End_Run_Hand();

    EXPECT_EQ(step, 3);
    EXPECT_EQ(Caption(f, "Quit_Func_But"), "&Quit = 8000");
    for (const char* name : {"Device_1", "Device_2", "Device_3"})
        EXPECT_TRUE(Caption(f, name).endsWith("-Programmed OK ")) << name;
    EXPECT_EQ(Caption(f, "Device"), "3 - 27C256");
    Expect_Programmed(rig, 3, 0, End_32K);
    ASSERT_FALSE(rig.Sim.Strobes().empty());
    std::set<double> volts;
    for (const auto& strobe : rig.Sim.Strobes())
        volts.insert(strobe.Volts);
    EXPECT_EQ(volts, std::set<double>{rig.Sim.Strobes().front().Volts});
    EXPECT_EQ(rig.Sim.Overvoltage_Events(), 0u);
}

// The access key of Program starts a run and leaves the focus in the open hex
// view.  Digits typed into the view during the run leave the Buffer the run
// is writing as it was.
TEST(MainFormRunInput, KeysTypedIntoTheHexViewDuringARunLeaveTheBufferAlone)
{
    TWindowRig rig(test::Adapter_At(0x378));
    TMainForm& f = *rig.Form;
    Set_Up(rig, test::Row_Of("27C256"), 1, "27C256");
    for (std::size_t a = 0; a <= End_32K; ++a)
        f.Buffer().Data[a] = a % 0x400 == 0 ? 0x5A : 0xFF;
    const std::vector<uint8_t> buffer(f.Buffer().Data.begin(), f.Buffer().Data.end());
    QTest::mouseClick(f.Control("Edit"), Qt::LeftButton);
    QWidget* view = f.Control("Edit_1");
    ASSERT_TRUE(view->hasFocus());

    int typed = 0;
    rig.During_Run([&] {
        if (typed < 4 && f.Link().Cur_Add >= 0x0800) {
            QTest::keyClick(view, Qt::Key_0);
            ++typed;
        }
    });
    // The access key clicks the button a moment later, as a pressed button
    // is shown first.
    QTest::keyClick(view, Qt::Key_P, Qt::AltModifier);
    EXPECT_TRUE(rig.Wait_For([&] { return Caption(f, "Quit_Func_But") == "&Quit = 8000"; }));
    rig.End_Run_Hand();

    EXPECT_EQ(typed, 4);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), f.Buffer().Data.begin()));
    Expect_Programmed(rig, 1, 0, 0x0400);
    // After the run the view edits again.
    QTest::keyClick(view, Qt::Key_0);
    EXPECT_EQ(f.Buffer().Data[0], 0x0A);
}

TEST(MainFormRunInput, StopAndQuitReachA28C256RunBetweenPages)
{
    // Stop: the user clicks the stop button whenever it takes clicks.
    {
        TWindowRig rig(test::Adapter_At(0x378));
        TMainForm& f = *rig.Form;
        Set_Up(rig, test::Row_Of("28C256"), 5, "28C256");
        QWidget* stop = f.Control("Quit_Func_But");
        int32_t page_at_stop = -1;
        rig.During_Run([&] {
            if (page_at_stop < 0 && f.Link().Cur_Add >= 0x1000 && stop->isEnabled()) {
                page_at_stop = f.Link().Cur_Add;
                QTest::mouseClick(stop, Qt::LeftButton);
            }
        });
        QTest::mouseClick(f.Control("Program_Eprom"), Qt::LeftButton);
        rig.End_Run_Hand();

        ASSERT_GE(page_at_stop, 0x1000);
        ASSERT_LT(page_at_stop, End_32K);
        // The page in hand is done for every socket, the next is not begun.
        const uint32_t next = static_cast<uint32_t>(page_at_stop) + 32;
        EXPECT_EQ(Caption(f, "Quit_Func_But"), "&Quit = " + QString::number(next, 16).toUpper());
        Expect_Programmed(rig, 5, 0, next - 1);
        for (int s = 1; s <= 5; ++s)
            EXPECT_EQ(rig.Sim.Chip_Byte(s, next), 0xFF) << s;
        // No socket reads OK for a run it did not finish: each names where
        // the stop left it.
        for (int s = 1; s <= 5; ++s)
            EXPECT_EQ(Caption(f, ("Device_" + std::to_string(s)).c_str()),
                      QString::number(s) + "-Stopped at " + QString::number(next, 16).toUpper())
                << s;
        EXPECT_TRUE(f.Control("Program_Eprom")->isEnabled());
    }
    // A click made while a page is written, as the window system queues it:
    // it waits for the pass between pages instead of being dropped on the
    // disabled window.
    {
        TWindowRig rig(test::Adapter_At(0x378));
        TMainForm& f = *rig.Form;
        Set_Up(rig, test::Row_Of("28C256"), 5, "28C256");
        QWidget* stop = f.Control("Quit_Func_But");
        int32_t page_at_click = -1;
        rig.During_Run([&] {
            if (page_at_click < 0 && f.Link().Cur_Add >= 0x1000 && !f.isEnabled()) {
                page_at_click = f.Link().Cur_Add;
                QWindow* window = f.windowHandle();
                const QPoint at = stop->mapTo(&f, stop->rect().center());
                const QPoint global = stop->mapToGlobal(stop->rect().center());
                using TSys = QWindowSystemInterface;
                TSys::handleMouseEvent<TSys::AsynchronousDelivery>(
                    window, at, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
                TSys::handleMouseEvent<TSys::AsynchronousDelivery>(
                    window, at, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
            }
        });
        QTest::mouseClick(f.Control("Program_Eprom"), Qt::LeftButton);
        rig.End_Run_Hand();

        ASSERT_GE(page_at_click, 0x1000);
        const uint32_t next = static_cast<uint32_t>(page_at_click & ~31) + 32;
        EXPECT_EQ(Caption(f, "Quit_Func_But"), "&Quit = " + QString::number(next, 16).toUpper());
        for (int s = 1; s <= 5; ++s)
            EXPECT_EQ(rig.Sim.Chip_Byte(s, next), 0xFF) << s;
    }
    // Quit: the close completes once the page in hand is done.
    {
        TWindowRig rig(test::Adapter_At(0x378));
        TMainForm& f = *rig.Form;
        Set_Up(rig, test::Row_Of("28C256"), 5, "28C256");
        QWidget* quit = f.Control("Quit_But");
        rig.During_Run([&] {
            if (!f.Life().Close_Requested() && f.Link().Cur_Add >= 0x1000 && quit->isEnabled())
                QTest::mouseClick(quit, Qt::LeftButton);
        });
        QTest::mouseClick(f.Control("Program_Eprom"), Qt::LeftButton);
        rig.End_Run_Hand();

        EXPECT_FALSE(f.isVisible());
        EXPECT_TRUE(f.Life().Port_Given_Back());
        EXPECT_EQ(rig.Sim.Chip_Byte(1, 0x1000), f.Buffer().Data[0x1000]);
        EXPECT_EQ(rig.Sim.Chip_Byte(1, End_32K), 0xFF); // stopped long before the end
    }
}

TEST(MainFormRunInput, CounterIsPaintedAsABlankCheckCounts)
{
    TWindowRig rig(test::Adapter_At(0x378));
    TMainForm& f = *rig.Form;
    ASSERT_TRUE(rig.Show_And_Activate());
    TWindowRig::Click_Row(rig.List("Device_Box"), test::Row_Of("2716"));
    TWindowRig::Click_Row(rig.List("Num_Of_Devices"), 2);
    rig.Sim.Insert_Chip(1, "2716");
    rig.Sim.Insert_Chip(2, "2716");

    // Captions of the counter as painted.
    struct TPaints : QObject {
        std::set<QString> Seen;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            auto* button = qobject_cast<QPushButton*>(watched);
            if (button && event->type() == QEvent::Paint)
                Seen.insert(button->text());
            return false;
        }
    } paints;
    f.Control("Quit_Func_But")->installEventFilter(&paints);
    QTest::mouseClick(f.Control("Blank_Chk"), Qt::LeftButton);
    f.Control("Quit_Func_But")->removeEventFilter(&paints);

    EXPECT_EQ(Caption(f, "Quit_Func_But"), "&Quit = 0800");
    for (int step = 1; step <= 7; ++step) {
        const QString caption =
            QStringLiteral("&Quit = 0%1").arg(step * 0x100, 3, 16, QLatin1Char('0'));
        EXPECT_TRUE(paints.Seen.count(caption)) << caption.toStdString();
    }
}

} // namespace
} // namespace gang
