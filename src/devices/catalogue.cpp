// The device list, row by row.  Type rows carry what their setter writes;
// header and empty rows carry only their text.
#include "devices/catalogue.h"

namespace gang {

namespace {

// Row, list text (blanks are part of it), type name, size, family, voltage code.
// Voltage code 0: the row's setter leaves the voltage code as the selection left it.
constexpr std::array<TDeviceType, Device_Row_Count> Rows = {{
    {0, "                Eprom's", nullptr, 0, 0, 0},
    {1, "2716   (+5 Only)   (25V)        2K X 8", "2716", 0x800, 1, 1},
    {2, "27C16              (12.5V)      2K X 8", "27C16", 0x800, 1, 3},
    {3, "", nullptr, 0, 0, 0},
    {4, "2732               (25V)        4K X 8", "2732", 0x1000, 2, 1},
    {5, "2732A              (21V)        4K X 8", "2732A", 0x1000, 2, 2},
    {6, "27C32              (12.5V)      4K X 8", "27C32", 0x1000, 2, 3},
    {7, "", nullptr, 0, 0, 0},
    {8, "2764               (21V)        8K X 8", "2764", 0x2000, 3, 2},
    {9, "2764A              (12.5V)      8K X 8", "2764A", 0x2000, 3, 3},
    {10, "27C64              (12.5V)      8K X 8", "27C64", 0x2000, 3, 3},
    {11, "", nullptr, 0, 0, 0},
    {12, "27128              (21V)       16K X 8", "27128", 0x4000, 3, 2},
    {13, "27128A             (12.5V)     16K X 8", "27128A", 0x4000, 3, 3},
    {14, "27C128             (12.5V)     16K X 8", "27C128", 0x4000, 3, 3},
    {15, "", nullptr, 0, 0, 0},
    {16, "27256              (12.5V)     32K X 8", "27256", 0x8000, 4, 0},
    {17, "27C256             (12.5V)     32K X 8", "27C256", 0x8000, 4, 0},
    {18, "", nullptr, 0, 0, 0},
    {19, "27512              (12.5V)     64K X 8", "27512", 0x10000, 5, 0},
    {20, "27C512             (12.5V)     64K X 8", "27C512", 0x10000, 5, 0},
    {21, "", nullptr, 0, 0, 0},
    {22, "               EEprom's 5 Volts", nullptr, 0, 0, 0},
    {23, "28(C)16                         2K X 8", "28C16", 0x800, 6, 0},
    {24, "28(C)64                         8K X 8", "28C64", 0x2000, 8, 0},
    {25, "28(C)256                       32K X 8", "28C256", 0x8000, 8, 0},
}};

} // namespace

const std::array<TDeviceType, Device_Row_Count>& Device_Rows()
{
    return Rows;
}

const TDeviceType* Device_Row(int row)
{
    if (row < 0 || row >= Device_Row_Count)
        return nullptr;
    return &Rows[static_cast<std::size_t>(row)];
}

bool Is_Catalogue_Family(int32_t family)
{
    for (const TDeviceType& type : Rows)
        if (type.Is_Type() && type.Family == family)
            return true;
    return false;
}

} // namespace gang
