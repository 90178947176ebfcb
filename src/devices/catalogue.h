// The catalogue of device types: the 26 rows of the device list, of which 18
// are types and the rest headers and empty separator rows.  Plain data; the
// list, the selection and the tests all read this one table.
#pragma once

#include <array>
#include <cstdint>

namespace gang {

struct TDeviceType {
    int Row;               // index in Device_Box
    const char* List_Text; // the row's text, blanks included
    const char* Type_Name; // caption of the Device button; nullptr for non-type rows
    int32_t Size;          // bytes; 0 for non-type rows
    int32_t Family;        // TSelection::Family: 1..6, 8
    int32_t Vpp_Code;      // voltage code set by the row; 0 = leaves it alone
    bool Is_Type() const { return Type_Name != nullptr; }
    int32_t End_Of_Eprom() const { return Size - 1; }
};

constexpr int Device_Row_Count = 26;

// All 26 rows, in list order.
const std::array<TDeviceType, Device_Row_Count>& Device_Rows();

// The row at a list index; nullptr outside 0..25 (no row selected).
const TDeviceType* Device_Row(int row);

// True for the family codes some type carries (1..6 and 8): the adapter has
// a configuration and an address mapping only for these.
bool Is_Catalogue_Family(int32_t family);

} // namespace gang
