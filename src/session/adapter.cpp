#include "session/adapter.h"

#include "link/emergency_rest.h"
#include "platform/crash_handlers.h"
#include "platform/system_port.h"

namespace gang::session {

TAdapter::TAdapter(std::unique_ptr<IPort> owned, IPort& port, std::optional<uint16_t> chosen)
    : Owned(std::move(owned)), Port_(&port), Chosen_(chosen)
{
    // A fault while the port is open still leaves the adapter at rest.
    Install_Crash_Handlers(&Rest_Armed_Ports);
}

TAdapter::~TAdapter() = default;

std::unique_ptr<TAdapter> TAdapter::Hardware(const TPortRequest& request, std::string& error)
{
    if (!request.Error.empty()) {
        error = request.Error;
        return nullptr;
    }
    std::unique_ptr<IPort> port = Open_System_Port();
    IPort& registers = *port;
    return std::unique_ptr<TAdapter>(new TAdapter(std::move(port), registers, request.Chosen));
}

bool Search(TLink& link, std::optional<uint16_t> chosen, bool calibrate)
{
    link.Choose_Port(chosen);
    link.Search(calibrate);
    return link.Found();
}

} // namespace gang::session
