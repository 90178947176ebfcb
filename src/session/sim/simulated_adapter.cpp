#include "session/sim/simulated_adapter.h"

#include "session/device_choice.h"

#include <QCoreApplication>

#include <fstream>
#include <set>
#include <stdexcept>

namespace gang::session {

// The adapter owns the simulated port; Sim_ names the same object.
TSimulatedAdapter::TSimulatedAdapter(sim::TSimAdapter* sim, const sim::TSimOptions& options)
    : TAdapter(std::unique_ptr<IPort>(sim), *sim, std::nullopt), Sim_(*sim), Options(options)
{
}

std::unique_ptr<TSimulatedAdapter> TSimulatedAdapter::Make(const sim::TSimOptions& options,
                                                           std::string& error)
{
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
    return std::unique_ptr<TSimulatedAdapter>(new TSimulatedAdapter(sim.release(), options));
}

void TSimulatedAdapter::Fresh_Chips(const TDeviceType& type)
{
    std::set<int> fixed;
    for (const sim::TSocketOption& s : Options.Sockets)
        fixed.insert(s.Socket);
    for (int socket = 1; socket <= Max_Gang_Size; ++socket)
        if (fixed.count(socket) == 0)
            Sim_.Insert_Chip(socket, type.Type_Name);
}

TSimulatedAdapter::~TSimulatedAdapter()
{
    Take_Out();
}

void TSimulatedAdapter::Take_Out()
{
    if (Options.Tray_Path.empty())
        return;
    for (int socket = 1; socket <= Max_Gang_Size; ++socket) {
        if (!Sim_.Has_Chip(socket))
            continue;
        const TDeviceType* type = Find_Type(Sim_.Chip_Type(socket));
        if (type == nullptr)
            continue;
        std::string bytes;
        for (int32_t address = 0; address <= type->End_Of_Eprom(); ++address)
            bytes.push_back(
                static_cast<char>(Sim_.Chip_Byte(socket, static_cast<uint32_t>(address))));
        std::ofstream(Options.Tray_Path + "/chip-" +
                          std::to_string(QCoreApplication::applicationPid()) + "-" +
                          std::to_string(Refills) + "-s" + std::to_string(socket) + ".bin",
                      std::ios::binary)
            << bytes;
    }
    ++Refills;
}

void TSimulatedAdapter::Refill(const TDeviceType& type)
{
    Take_Out();
    Fresh_Chips(type);
    for (const sim::TSocketOption& s : Options.Sockets) {
        if (s.Empty)
            Sim_.Remove_Chip(s.Socket);
        else
            Sim_.Insert_Chip(s.Socket, s.Type, s.Fault);
    }
}

} // namespace gang::session
