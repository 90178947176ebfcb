// gang-adapter-cli: the gang operations without a window, for production
// runs from a terminal or a script.
#include "cli/cli_options.h"
#include "cli/cli_program.h"
#include "platform/privilege.h"
#include "session/exit_status.h"
#include "session/port_request.h"
#include "session/version.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char* argv[])
{
    // Port access first, then no capability at all: Qt is never started with
    // CAP_SYS_RAWIO.
    const gang::session::TPortRequest port = gang::session::Read_Port_Request(argc, argv);
    if (!gang::Take_Port_Access_And_Drop(!port.Sim, port.Chosen, "gang-adapter-cli"))
        return gang::Exit_Cannot_Start;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("gang-adapter-cli");
    QCoreApplication::setApplicationVersion(gang::session::Program_Version());

    const gang::cli::TCliParse parsed = gang::cli::Parse_Cli_Options(app.arguments());
    if (!parsed.Ok) {
        std::cerr << "gang-adapter-cli: " << parsed.Error << "\n"
                  << "Try 'gang-adapter-cli --help'.\n";
        return gang::Exit_Usage;
    }
    if (parsed.Options.Help) {
        std::cout << gang::cli::Cli_Usage_Text();
        return gang::Exit_Passed;
    }
    if (parsed.Options.Version) {
        std::cout << "gang-adapter-cli " << gang::session::Program_Version() << "\n";
        return gang::Exit_Passed;
    }
    return gang::cli::Run_Cli(parsed.Options, port);
}
