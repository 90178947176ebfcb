// The program's version, the same for every program built from this tree
// and in every record they write.
#pragma once

namespace gang::session {

const char* Program_Version();

} // namespace gang::session
