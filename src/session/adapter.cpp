#include "session/adapter.h"

#include "link/emergency_rest.h"
#include "link/linux_port.h"
#include "link/port_choice.h"

#include <set>
#include <stdexcept>

namespace gang::session {

std::unique_ptr<TAdapter> TAdapter::Hardware(const std::string& port_text, std::string& error)
{
    std::unique_ptr<TAdapter> adapter(new TAdapter);
    if (!port_text.empty()) {
        const TPortChoiceResult choice = Parse_Port_Choice(port_text);
        if (!choice.Ok) {
            error = choice.Error;
            return nullptr;
        }
        if (choice.Choice.Kind == TPortChoice::TKind::Base)
            adapter->Chosen_ = choice.Choice.Base;
        if (choice.Choice.Kind == TPortChoice::TKind::Device) {
            const auto listed = Find_Parport_Index(choice.Choice.Device_Index);
            if (!listed) {
                error =
                    "the system lists no /dev/parport" + std::to_string(choice.Choice.Device_Index);
                return nullptr;
            }
            adapter->Chosen_ = listed->Base;
        }
    }
    adapter->Owned = std::make_unique<TLinuxPort>();
    adapter->Port_ = adapter->Owned.get();
    // A fault while the port is open still leaves the adapter at rest.
    Install_Emergency_Rest_Handlers();
    return adapter;
}

std::unique_ptr<TAdapter> TAdapter::Simulated(const sim::TSimOptions& options, std::string& error)
{
    std::unique_ptr<TAdapter> adapter(new TAdapter);
    adapter->Sim_Options = options;
    auto sim = std::make_unique<sim::TSimAdapter>(options.Config);
    try {
        for (const sim::TSocketOption& s : options.Sockets) {
            if (s.Empty)
                sim->Remove_Chip(s.Socket);
            else
                sim->Insert_Chip(s.Socket, s.Type, s.Fault);
        }
        if (!options.Trace_Path.empty())
            sim->Trace_To(options.Trace_Path);
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
    adapter->Sim_ = sim.get();
    adapter->Port_ = sim.get();
    adapter->Owned = std::move(sim);
    Install_Emergency_Rest_Handlers();
    return adapter;
}

TAdapter::~TAdapter() = default;

void TAdapter::Fresh_Chips(const TDeviceType& type)
{
    if (Sim_ == nullptr)
        return;
    std::set<int> fixed;
    for (const sim::TSocketOption& s : Sim_Options.Sockets)
        fixed.insert(s.Socket);
    for (int socket = 1; socket <= Max_Gang_Size; ++socket)
        if (fixed.count(socket) == 0)
            Sim_->Insert_Chip(socket, type.Type_Name);
}

void TAdapter::Refill(const TDeviceType& type)
{
    if (Sim_ == nullptr)
        return;
    Fresh_Chips(type);
    for (const sim::TSocketOption& s : Sim_Options.Sockets) {
        if (s.Empty)
            Sim_->Remove_Chip(s.Socket);
        else
            Sim_->Insert_Chip(s.Socket, s.Type, s.Fault);
    }
}

bool Search(TLink& link, std::optional<uint16_t> chosen, bool calibrate)
{
    link.Chosen_Port = chosen;
    link.Search(calibrate);
    return link.Found();
}

} // namespace gang::session
