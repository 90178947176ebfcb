#include "link/gang_state.h"

#include <utility>

namespace gang {

void TGangState::Begin(int32_t gang_size)
{
    if (!Full_Gang_Mask(gang_size))
        return;
    for (int32_t k = 1; k <= Max_Gang_Size; ++k) {
        TSocketState& socket = Sockets[k];
        const bool failed_earlier = Carry_Failures && socket.Result.Failed();
        if (!failed_earlier)
            socket.Result = {};
        socket.In_Gang = k <= gang_size;
        socket.Taking_Part = socket.In_Gang && !failed_earlier;
    }
}

void TGangState::New_Run()
{
    for (TSocketState& socket : Sockets)
        socket = {};
    Carry_Failures = true;
}

void TGangState::Set_Own_Bytes(int32_t socket, int32_t at, std::vector<uint8_t> bytes)
{
    if (!Valid(socket))
        return;
    Sockets[socket].Own_At = at;
    Sockets[socket].Own_Bytes = std::move(bytes);
}

void TGangState::Fail(int32_t socket, const TSocket_Result& result)
{
    if (!Valid(socket))
        return;
    Sockets[socket].Taking_Part = false;
    Sockets[socket].Result = result;
}

void TGangState::Drop_All()
{
    for (TSocketState& socket : Sockets)
        socket.Taking_Part = false;
}

void TGangState::Stop_Remaining(int32_t address)
{
    for (TSocketState& socket : Sockets) {
        if (!socket.In_Gang || socket.Result.Failed())
            continue;
        socket.Result = {TResult_Kind::Stopped, address};
    }
}

bool TGangState::Taking_Part(int32_t socket) const
{
    return Valid(socket) && Sockets[socket].Taking_Part;
}

int32_t TGangState::Mask() const
{
    int32_t mask = 0;
    for (int32_t k = 1; k <= Max_Gang_Size; ++k)
        if (Sockets[k].Taking_Part)
            mask |= 1 << (k - 1);
    return mask;
}

const TSocket_Result& TGangState::Result(int32_t socket) const
{
    static const TSocket_Result none;
    return Valid(socket) ? Sockets[socket].Result : none;
}

} // namespace gang
