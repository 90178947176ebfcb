// A device type by its name, as the catalogue lists it: tests choose rows
// by name, so a row number can never drift from the catalogue.
#pragma once

#include "devices/catalogue.h"

#include <stdexcept>
#include <string>

namespace gang::test {

inline const TDeviceType& Type_Named(const std::string& name)
{
    for (const TDeviceType& row : Device_Rows())
        if (row.Is_Type() && name == row.Type_Name)
            return row;
    throw std::invalid_argument("no such device type: " + name);
}

// Its row in the type list.
inline int Row_Of(const std::string& name)
{
    return Type_Named(name).Row;
}

} // namespace gang::test
