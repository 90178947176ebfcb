// gang-adapter: the main window over the PC's own parallel port; with
// --station JOB the operator window of that job instead.
#include "platform/privilege.h"
#include "session/adapter.h"
#include "session/exit_status.h"
#include "session/port_request.h"
#include "session/version.h"
#include "ui/main_form.h"
#include "ui/signal_ends.h"
#include "ui/station/station_window.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace {

void Describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Reads, blank-checks, programs and verifies up to five EPROMs or EEPROMs at once\n"
        "in the Tarvik gang adapter on a parallel port.");
    parser.addHelpOption();
    parser.addOption({"port",
                      "Probe only this parallel port: a base address in hexadecimal (e.g. "
                      "D010 or 0xD010), /dev/parportN, or auto (the default: 278, 378, 3BC, "
                      "then every other port the system lists).",
                      "BASE|/dev/parportN|auto"});
    parser.addOption({"station",
                      "Open the operator window of this job file (made with gang-adapter-cli "
                      "job new) instead of the main window: Start, Stop and the sockets' "
                      "results; the job's type, voltage and image cannot be changed there.",
                      "JOB"});
}

// Prints through a Qt Core application, which needs no display.
int Print_And_Exit(int argc, char* argv[], const QString& error, QCommandLineParser& parser)
{
    QCoreApplication core(argc, argv);
    if (error.isEmpty()) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return gang::Exit_Passed;
    }
    std::fprintf(stderr, "gang-adapter: %s\n%s", qPrintable(error), qPrintable(parser.helpText()));
    return gang::Exit_Usage;
}

} // namespace

int main(int argc, char* argv[])
{
    // Port access first, then no capability at all: Qt (its plugins, the
    // user's environment) never runs with CAP_SYS_RAWIO.
    const gang::session::TPortRequest port = gang::session::Read_Port_Request(argc, argv);
    if (!gang::Take_Port_Access_And_Drop(!port.Sim, port.Chosen, "gang-adapter"))
        return gang::Exit_Cannot_Start;
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    Describe(parser);
    if (!parser.parse(args))
        return Print_And_Exit(argc, argv, parser.errorText(), parser);
    if (parser.isSet("help") || parser.isSet("help-all"))
        return Print_And_Exit(argc, argv, {}, parser);
    if (!parser.positionalArguments().isEmpty())
        return Print_And_Exit(argc, argv,
                              "unexpected argument '" + parser.positionalArguments().first() + "'",
                              parser);

    const bool station = parser.isSet("station");
    gang::session::TStationPlan plan;
    if (station && !gang::Open_Station_Plan("gang-adapter", parser.value("station").toStdString(),
                                            plan, argc, argv))
        return gang::Exit_Usage;

    std::string error;
    // The --port value was read before Qt started; the parser only checks
    // the command line's form.
    const std::unique_ptr<gang::session::TAdapter> adapter =
        gang::session::TAdapter::Hardware(port, error);
    if (!adapter)
        return Print_And_Exit(argc, argv, QString::fromStdString(error), parser);

    QApplication app(argc, argv);
    QApplication::setApplicationVersion(gang::session::Program_Version());
    if (station)
        return gang::Run_Station_Window(std::move(plan), *adapter, "");
    gang::TMainForm form(adapter->Port());
    form.Link().Choose_Port(adapter->Chosen());
    form.Set_Box_Title("Gang Adapter");
    gang::Install_Signal_Ends(form);
    form.show();
    return QApplication::exec();
}
