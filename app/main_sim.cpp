// gang-adapter-sim: the main window over the simulated gang adapter.  When a
// device type is chosen in the window, every socket not set by --socket gets
// a fresh blank chip of that type, as a user would insert one.
#include "sim/sim_adapter.h"
#include "sim/sim_options.h"
#include "ui/main_form.h"
#include "ui/signal_ends.h"

#include <QApplication>

#include <iostream>
#include <set>
#include <stdexcept>
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

    gang::sim::TSimAdapter adapter(options.Config);
    std::set<int> fixed_sockets;
    try {
        for (const gang::sim::TSocketOption& s : options.Sockets) {
            fixed_sockets.insert(s.Socket);
            if (s.Empty)
                adapter.Remove_Chip(s.Socket);
            else
                adapter.Insert_Chip(s.Socket, s.Type, s.Fault);
        }
        if (!options.Trace_Path.empty())
            adapter.Trace_To(options.Trace_Path);
    } catch (const std::exception& e) {
        std::cerr << "gang-adapter-sim: " << e.what() << "\n";
        return 2;
    }

    QApplication app(argc, argv);
    gang::TMainForm form(adapter);
    form.Work().OnTypeApplied = [&adapter, fixed_sockets](const gang::TDeviceType& type) {
        for (int socket = 1; socket <= 5; ++socket)
            if (fixed_sockets.count(socket) == 0)
                adapter.Insert_Chip(socket, type.Type_Name);
    };
    form.Set_Box_Title("Gang Adapter (simulated)");
    gang::Install_Signal_Ends(form);
    form.show();
    return QApplication::exec();
}
