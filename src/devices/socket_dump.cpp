// The read of one socket over the whole range, for the diagnosis of a socket
// that failed: the other sockets are not read, and nothing is compared.
#include "devices/device_rules.h"
#include "devices/device_work.h"

namespace gang {

bool TDeviceWork::Read_Socket_Range(int32_t socket, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (!Is_Catalogue_Family(Selection.Family) || socket < 1 || socket > Max_Gang_Size)
        return false;
    Begin_Operation();
    Link.Read_Config();
    Link.Use_Socket(socket);
    const int32_t first = Buffer.Start_Of_Eprom;
    if (Buffer.End_Of_Eprom >= first)
        bytes.reserve(static_cast<std::size_t>(Buffer.End_Of_Eprom) - first + 1);
    do {
        Link.Set_Address();
        Link.Read_Socket();
        bytes.push_back(Link.Read_Value);
        Link.Next_Address();
    } while (Link.Quit_Flag <= 0);
    // The range's end raises Quit_Flag by one; a stop request sets it higher.
    const bool stopped = Link.Quit_Flag >= Stop_Request;
    End_Operation();
    return !stopped;
}

} // namespace gang
