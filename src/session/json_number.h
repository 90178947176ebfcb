// Whole numbers in the program's JSON files (job, serial state, records):
// a 64-bit unsigned number is written as decimal text, which a JSON number
// (a double, exact only up to 2^53) could not carry.  Numbers read from
// input are range-checked before any conversion.
#pragma once

#include <QJsonValue>

#include <cstdint>
#include <optional>
#include <string>

namespace gang::session {

// The largest whole number a JSON number (a double) holds exactly.
constexpr double Exact_Double_Limit = 9007199254740992.0; // 2^53

// Decimal digits only (no sign, no blank), at most UINT64_MAX; nullopt
// otherwise.
std::optional<uint64_t> Decimal_Of(const std::string& text);
// A decimal text as Decimal_Of takes it, or (as older files wrote it) a JSON
// number that is whole, not negative and at most 2^53; nullopt otherwise.
std::optional<uint64_t> Exact_Unsigned(const QJsonValue& value);
// A JSON number that is whole and within low..high, converted only then;
// nullopt otherwise (also for NaN and the infinities).
std::optional<int64_t> Whole_Number(const QJsonValue& value, int64_t low, int64_t high);

} // namespace gang::session
