// gang-adapter-sim: the main window over the simulated gang adapter.  When a
// device type is chosen in the window, every socket not set by --socket gets
// a fresh blank chip of that type, as a user would insert one.
#include "session/sim/simulated_adapter.h"
#include "sim/sim_options.h"
#include "ui/main_form.h"
#include "ui/signal_ends.h"

#include <QApplication>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const gang::sim::TSimOptionsResult parsed = gang::sim::Parse_Sim_Options(args);
    if (!parsed.Ok) {
        std::cerr << "gang-adapter-sim: " << parsed.Error << "\n" << gang::sim::Sim_Usage_Text();
        return 2;
    }
    const gang::sim::TSimOptions& options = parsed.Options;
    if (options.Help) {
        std::cout << gang::sim::Sim_Usage_Text();
        return 0;
    }

    std::string error;
    const std::unique_ptr<gang::session::TSimulatedAdapter> adapter =
        gang::session::TSimulatedAdapter::Make(options, error);
    if (!adapter) {
        std::cerr << "gang-adapter-sim: " << error << "\n";
        return 2;
    }

    QApplication app(argc, argv);
    gang::TMainForm form(adapter->Port());
    form.Work().OnTypeApplied = [&adapter](const gang::TDeviceType& type) {
        adapter->Fresh_Chips(type);
    };
    form.Set_Box_Title("Gang Adapter (simulated)");
    gang::Install_Signal_Ends(form);
    form.show();
    return QApplication::exec();
}
