#include "sim/chip_types.h"

#include <algorithm>
#include <cctype>

namespace gang::sim {

namespace {

// Programming need per byte.  NMOS parts at 21 V and 25 V were programmed with
// one 50 ms pulse per byte (2716, 2732, 2732A, 2764, 27128 datasheets); the
// 12.5 V parts take 1 ms pulses of the intelligent/quick-pulse algorithms.
constexpr double Nmos_Need_Us = 50000.0;
constexpr double Quick_Need_Us = 1000.0;

// EEPROM write cycles (tWC, maximum): 28C16 1 ms, 28C64 5 ms, 28C256 10 ms.
constexpr double Ee16_Cycle_Us = 1000.0;
constexpr double Ee64_Cycle_Us = 5000.0;
constexpr double Ee256_Cycle_Us = 10000.0;
constexpr uint32_t Page_Bytes = 32;

constexpr TChipKind Uv = TChipKind::Uv_Eprom;
constexpr TChipKind Ee = TChipKind::Eeprom;

const std::vector<TChipType> Types = {
    {"2716", 0x0800, 1, Uv, 25.0, Nmos_Need_Us, 0, 1},
    {"27C16", 0x0800, 1, Uv, 12.5, Quick_Need_Us, 0, 1},
    {"2732", 0x1000, 2, Uv, 25.0, Nmos_Need_Us, 0, 1},
    {"2732A", 0x1000, 2, Uv, 21.0, Nmos_Need_Us, 0, 1},
    {"27C32", 0x1000, 2, Uv, 12.5, Quick_Need_Us, 0, 1},
    {"2764", 0x2000, 3, Uv, 21.0, Nmos_Need_Us, 0, 1},
    {"2764A", 0x2000, 3, Uv, 12.5, Quick_Need_Us, 0, 1},
    {"27C64", 0x2000, 3, Uv, 12.5, Quick_Need_Us, 0, 1},
    {"27128", 0x4000, 3, Uv, 21.0, Nmos_Need_Us, 0, 1},
    {"27128A", 0x4000, 3, Uv, 12.5, Quick_Need_Us, 0, 1},
    {"27C128", 0x4000, 3, Uv, 12.5, Quick_Need_Us, 0, 1},
    {"27256", 0x8000, 4, Uv, 12.5, Quick_Need_Us, 0, 1},
    {"27C256", 0x8000, 4, Uv, 12.5, Quick_Need_Us, 0, 1},
    {"27512", 0x10000, 5, Uv, 12.5, Quick_Need_Us, 0, 1},
    {"27C512", 0x10000, 5, Uv, 12.5, Quick_Need_Us, 0, 1},
    {"28C16", 0x0800, 6, Ee, 0, 0, Ee16_Cycle_Us, 1},
    {"28C64", 0x2000, 8, Ee, 0, 0, Ee64_Cycle_Us, Page_Bytes},
    {"28C256", 0x8000, 8, Ee, 0, 0, Ee256_Cycle_Us, Page_Bytes},
};

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

const std::vector<TChipType>& Chip_Types()
{
    return Types;
}

const TChipType* Find_Chip_Type(const std::string& name)
{
    for (const TChipType& type : Types)
        if (name == type.Name)
            return &type;
    return nullptr;
}

const TChipType* Find_Chip_Type_Nocase(const std::string& name)
{
    const std::string wanted = Upper(name);
    for (const TChipType& type : Types)
        if (wanted == Upper(type.Name))
            return &type;
    return nullptr;
}

bool Is_24_Pin_Family(int family)
{
    return family == 1 || family == 2 || family == 6;
}

} // namespace gang::sim
