// The gang's state: one record per socket, the only place a socket's part
// in the work and its outcome are kept.  The mask the gang loops end on and
// the flags of the sockets that are skipped are read from it, never kept
// beside it.
#pragma once

#include "link/address_map.h"
#include "link/report.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gang {

class TGangState {
public:
    // The start of an operation over sockets 1 up to gang_size (1-5; any
    // other size leaves every record as it is).  Each socket of the gang
    // takes part again with its result cleared, but when the failures are
    // carried: a socket that failed an earlier step keeps its result and
    // sits the operation out.
    void Begin(int32_t gang_size);
    // A new gang in the sockets: every record cleared (its own bytes too),
    // and failures are carried from step to step of its run from now on.
    void New_Run();

    // Socket k's own bytes from address at on (a serial number): they take
    // the place of the image's bytes there for that socket alone, in every
    // step of the run.
    void Set_Own_Bytes(int32_t socket, int32_t at, std::vector<uint8_t> bytes);
    // The socket's own byte at address, or nullptr where the image's byte
    // counts.
    const uint8_t* Own_Byte(int32_t socket, int32_t address) const
    {
        if (!Valid(socket))
            return nullptr;
        const TSocketState& record = Sockets[socket];
        const int32_t offset = address - record.Own_At;
        if (offset < 0 || offset >= static_cast<int32_t>(record.Own_Bytes.size()))
            return nullptr;
        return &record.Own_Bytes[static_cast<std::size_t>(offset)];
    }
    // The socket (1-5) takes no further part, with that result.
    void Fail(int32_t socket, const TSocket_Result& result);
    // No socket takes part any more (no configuration exists for the type).
    void Drop_All();
    // The work ended before it was done: every socket of the gang that has
    // not failed did not finish, and its result reads Stopped at address
    // (the first address not worked on).  It still counts as good in the
    // mask: the closing steps of the operation (the protection of its
    // chips) still reach it.
    void Stop_Remaining(int32_t address);

    // Socket k (1-5) is still in the operation.
    bool Taking_Part(int32_t socket) const;
    // Bit k-1 set while socket k takes part; 0 ends a gang loop.
    int32_t Mask() const;
    // The socket's result in the run (the operation in hand, or the first
    // failure of the run's steps).  Passed for a socket outside 1-5.
    const TSocket_Result& Result(int32_t socket) const;

private:
    struct TSocketState {
        bool In_Gang = false; // within the gang size of the last start
        bool Taking_Part = false;
        TSocket_Result Result;
        int32_t Own_At = 0;
        std::vector<uint8_t> Own_Bytes;
    };
    static bool Valid(int32_t socket) { return socket >= 1 && socket <= Max_Gang_Size; }
    TSocketState Sockets[Max_Gang_Size + 1]; // index 1..5
    bool Carry_Failures = false;
};

} // namespace gang
