#include "link/voltages.h"

#include "link/families.h"
#include "link/latches.h"

namespace gang {

namespace {

constexpr TVoltage Rows[] = {
    {Vpp_25V, "25", latch::Vpp_Value_25V, latch::L3_High_Vpp, "Vpp = 25", Vpp_21V, false},
    {Vpp_21V, "21", latch::Vpp_Value_21V, latch::L3_High_Vpp, "Vpp = 21", Vpp_12V5, false},
    {Vpp_12V5, "12.5", latch::Vpp_Value_12V5, latch::L3_High_Vpp, "Vpp = 12.5", Vpp_25V, false},
    {Vpp_12V, "12", latch::Vpp_Value_Low, 0x00, "Vpp = 12", Vpp_12V, false},
    {Vpp_5V, "5", latch::Vpp_Value_Low, 0x00, "Vpp = 5", Vpp_5V, true},
};

} // namespace

const TVoltage* Voltage_Row(int32_t code)
{
    for (const TVoltage& row : Rows)
        if (row.Code == code)
            return &row;
    return nullptr;
}

const TVoltage* Voltage_Row_Of_Text(const std::string& text)
{
    for (const TVoltage& row : Rows)
        if (text == row.Text)
            return &row;
    return nullptr;
}

TVppSetting Vpp_Setting(int32_t code)
{
    if (const TVoltage* row = Voltage_Row(code))
        return {row->Vpp_Value, row->Latch_3_Value, row->Caption};
    return {latch::Vpp_Value_Low, 0x00, nullptr};
}

int32_t Next_Vpp_Code(int32_t code)
{
    const TVoltage* row = Voltage_Row(code);
    return row != nullptr ? row->Next_On_Click : code;
}

int32_t Default_Vpp_Code(int32_t family, int32_t type_code)
{
    if (const TFamily* row = Family_Row(family); row != nullptr && !row->Uv_Eprom)
        for (const TVoltage& voltage : Rows)
            if (voltage.For_Eeprom)
                return voltage.Code;
    return type_code != 0 ? type_code : Vpp_12V5;
}

} // namespace gang
