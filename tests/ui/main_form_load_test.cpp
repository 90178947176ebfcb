// Programming on a loaded machine: two threads spin beside the window from
// before its start-up (so the speed check already runs under the load) to
// the end of the run.  The UV chips must still see full-width pulses: a
// 27C16 takes its byte on the first pulse and then the over-program pulse,
// two strobes per byte and socket, as on an idle machine.
#include "main_form_test_rig.h"
#include "support/device_type.h"

#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <utility>
#include <vector>

namespace gang {
namespace {

using test::TWindowRig;

constexpr int Gang_Of_Two = 2;
constexpr int32_t Stop_After = 0x18; // a few bytes are enough

// Threads that keep the CPUs busy while they live.
class TBusyLoops {
public:
    explicit TBusyLoops(int count)
    {
        for (int i = 0; i < count; ++i)
            Threads.emplace_back([this] {
                volatile unsigned long spins = 0;
                while (!Stop.load(std::memory_order_relaxed))
                    spins = spins + 1;
            });
    }
    ~TBusyLoops()
    {
        Stop = true;
        for (std::thread& t : Threads)
            t.join();
    }
    TBusyLoops(const TBusyLoops&) = delete;
    TBusyLoops& operator=(const TBusyLoops&) = delete;

private:
    std::atomic<bool> Stop{false};
    std::vector<std::thread> Threads;
};

void Click_Row(TMainForm& f, const char* list_name, int row)
{
    auto* list = f.Control_As<QListWidget>(list_name);
    ASSERT_FALSE(list->isHidden()) << list_name;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

TEST(MainFormUnderLoad, A27C16GangTakesTwoPulsesPerByte)
{
    TBusyLoops load(2);
    TWindowRig rig(test::Adapter_At(0x378));
    TMainForm& f = *rig.Form;
    ASSERT_TRUE(rig.Show_And_Activate());
    Click_Row(f, "Device_Box", test::Row_Of("27C16"));
    Click_Row(f, "Num_Of_Devices", Gang_Of_Two);
    rig.Sim.Insert_Chip(1, "27C16");
    rig.Sim.Insert_Chip(2, "27C16");
    rig.Sim.Clear_Events();

    // The stop button, clicked once a few bytes are done.
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, &f, [&] {
        if (f.Link().Cur_Add >= Stop_After) {
            stop.stop();
            QTest::mouseClick(f.Control("Quit_Func_But"), Qt::LeftButton);
        }
    });
    stop.start(1);
    QTest::mouseClick(f.Control("Program_Eprom"), Qt::LeftButton); // returns after the run

    std::map<std::pair<int, uint32_t>, int> strobes;
    for (const sim::TStrobeEvent& e : rig.Sim.Strobes())
        ++strobes[{e.Socket, e.Address}];
    ASSERT_GE(strobes.size(), 2u * Stop_After);
    for (const auto& [where, count] : strobes)
        EXPECT_EQ(count, 2) << "socket " << where.first << " address " << where.second;
}

} // namespace
} // namespace gang
