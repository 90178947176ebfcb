// A window over the simulated adapter at 0x378, wired to the signals as the
// programs are, that programs a gang of two 27C512 with real pulse widths and
// tells its parent when the run is under way.
//
//   signal_ends_driver TRACE_FILE
//
// Prints "programming" on stdout once the run has passed address 0040, then
// runs until a signal ends it.  The exit status is the event loop's.
#include "session/sim/simulated_adapter.h"
#include "ui/main_form.h"
#include "ui/signal_ends.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <string>

namespace {

constexpr int Row_27C512 = 20;
constexpr int Row_Gang_Of_Two = 2;
constexpr int32_t Announce_After = 0x40;

void Click_Row(gang::TMainForm& form, const char* list_name, int row)
{
    auto* list = form.Control_As<QListWidget>(list_name);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: signal_ends_driver TRACE_FILE\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    gang::sim::TSimOptions options;
    options.Trace_Path = argv[1];
    for (int socket : {1, 2})
        options.Sockets.push_back({socket, false, "27C512", {}});
    std::string error;
    const auto adapter = gang::session::TSimulatedAdapter::Make(options, error);
    if (!adapter) {
        std::fprintf(stderr, "signal_ends_driver: %s\n", error.c_str());
        return 2;
    }
    gang::TMainForm form(adapter->Port());
    form.Set_Message_Presenter([](const gang::TMessage&) {});
    gang::Install_Signal_Ends(form);
    form.show();

    QElapsedTimer clock;
    clock.start();
    while (!form.Activated() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    Click_Row(form, "Device_Box", Row_27C512);
    Click_Row(form, "Num_Of_Devices", Row_Gang_Of_Two);

    QTimer announce;
    QObject::connect(&announce, &QTimer::timeout, [&] {
        if (form.Link().Cur_Add >= Announce_After) {
            announce.stop();
            std::printf("programming\n");
            std::fflush(stdout);
        }
    });
    announce.start(10);
    QTimer::singleShot(
        0, &form, [&form] { QTest::mouseClick(form.Control("Program_Eprom"), Qt::LeftButton); });
    return QApplication::exec();
}
