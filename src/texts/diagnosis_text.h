// The diagnosis of a failed socket as the user reads it, one finding a line,
// the most telling first:
//   "no byte took"
//   "address line A7 stuck at 0 explains all 128 differences"
//   "bit 5 stuck at 1 in 12 of 12 differences"
//   "3 bytes differ"
//   "0100: expected A5, read AD"   (the first differences)
#pragma once

#include "devices/diagnosis.h"

#include <string>
#include <vector>

namespace gang {

std::vector<std::string> Diagnosis_Lines(const TDiagnosis& diagnosis);

} // namespace gang
