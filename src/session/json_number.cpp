#include "session/json_number.h"

#include <cmath>

namespace gang::session {

std::optional<uint64_t> Decimal_Of(const std::string& text)
{
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<uint64_t> Exact_Unsigned(const QJsonValue& value)
{
    if (value.isString())
        return Decimal_Of(value.toString().toStdString());
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= 0 && number <= Exact_Double_Limit) || std::trunc(number) != number)
        return std::nullopt;
    return static_cast<uint64_t>(number);
}

std::optional<int64_t> Whole_Number(const QJsonValue& value, int64_t low, int64_t high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // Compared as doubles first: only a number inside the range is cast.
    constexpr double Two_To_63 = 9223372036854775808.0;
    if (!(number >= static_cast<double>(low) && number <= static_cast<double>(high)) ||
        !(number >= -Two_To_63 && number < Two_To_63) || std::trunc(number) != number)
        return std::nullopt;
    const auto whole = static_cast<int64_t>(number);
    if (whole < low || whole > high)
        return std::nullopt;
    return whole;
}

} // namespace gang::session
