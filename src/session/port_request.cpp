#include "session/port_request.h"

#include "link/port_choice.h"
#include "platform/system_port.h"

namespace gang::session {

TPortRequest Port_Request_Of(const std::string& port_text)
{
    TPortRequest request;
    if (port_text.empty())
        return request;
    const TPortChoiceResult parsed = Parse_Port_Choice(port_text);
    if (!parsed.Ok) {
        request.Error = parsed.Error;
        return request;
    }
    if (parsed.Choice.Kind == TPortChoice::TKind::Base)
        request.Chosen = parsed.Choice.Base;
    if (parsed.Choice.Kind == TPortChoice::TKind::Device) {
        const auto listed = Find_Parport_Index(parsed.Choice.Device_Index);
        if (!listed)
            request.Error =
                "the system lists no /dev/parport" + std::to_string(parsed.Choice.Device_Index);
        else
            request.Chosen = listed->Base;
    }
    return request;
}

TPortRequest Read_Port_Request(int argc, char* argv[])
{
    const std::string option = "--port";
    std::string port_text;
    bool sim = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sim")
            sim = true;
        else if (arg == option && i + 1 < argc)
            port_text = argv[++i];
        else if (arg.compare(0, option.size() + 1, option + "=") == 0)
            port_text = arg.substr(option.size() + 1);
    }
    TPortRequest request = sim ? TPortRequest{} : Port_Request_Of(port_text);
    request.Sim = sim;
    return request;
}

} // namespace gang::session
