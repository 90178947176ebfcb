// gang-adapter-sim: the main window over the simulated gang adapter.  When a
// device type is chosen in the window, every socket not set by --socket gets
// a fresh blank chip of that type, as a user would insert one.  With
// --station JOB the operator window of that job instead, its gang refilled
// with fresh chips before each run.
#include "session/exit_status.h"
#include "session/sim/simulated_adapter.h"
#include "session/version.h"
#include "sim/sim_options.h"
#include "ui/main_form.h"
#include "ui/signal_ends.h"
#include "ui/station/station_window.h"

#include <QApplication>

#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* Station_Usage =
    "  --station JOB             open the operator window of the job file instead\n";

// --station JOB (or --station=JOB) taken out of args; "" when not given.
// False when it has no value.
bool Take_Station(std::vector<std::string>& args, std::string& job)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--station=", 0) == 0) {
            job = args[i].substr(10);
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            return !job.empty();
        }
        if (args[i] == "--station") {
            if (i + 1 >= args.size())
                return false;
            job = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return true;
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string job_path;
    if (!Take_Station(args, job_path)) {
        std::cerr << "gang-adapter-sim: --station wants a job file\n"
                  << gang::sim::Sim_Usage_Text() << Station_Usage;
        return gang::Exit_Usage;
    }
    const gang::sim::TSimOptionsResult parsed = gang::sim::Parse_Sim_Options(args);
    if (!parsed.Ok) {
        std::cerr << "gang-adapter-sim: " << parsed.Error << "\n"
                  << gang::sim::Sim_Usage_Text() << Station_Usage;
        return gang::Exit_Usage;
    }
    const gang::sim::TSimOptions& options = parsed.Options;
    if (options.Help) {
        std::cout << gang::sim::Sim_Usage_Text() << Station_Usage;
        return gang::Exit_Passed;
    }
    gang::session::TStationPlan plan;
    if (!job_path.empty() &&
        !gang::Open_Station_Plan("gang-adapter-sim", job_path, plan, argc, argv))
        return gang::Exit_Usage;

    std::string error;
    const std::unique_ptr<gang::session::TSimulatedAdapter> adapter =
        gang::session::TSimulatedAdapter::Make(options, error);
    if (!adapter) {
        std::cerr << "gang-adapter-sim: " << error << "\n";
        return gang::Exit_Usage;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationVersion(gang::session::Program_Version());
    if (!job_path.empty())
        return gang::Run_Station_Window(std::move(plan), *adapter, " (simulated)");
    gang::TMainForm form(adapter->Port());
    form.Work().OnTypeApplied = [&adapter](const gang::TDeviceType& type) {
        adapter->Fresh_Chips(type);
    };
    form.Set_Box_Title("Gang Adapter (simulated)");
    gang::Install_Signal_Ends(form);
    form.show();
    return QApplication::exec();
}
