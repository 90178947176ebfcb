#include "session/version.h"

namespace gang::session {

const char* Program_Version()
{
    return GANG_VERSION;
}

} // namespace gang::session
