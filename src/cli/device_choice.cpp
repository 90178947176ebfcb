#include "cli/device_choice.h"

#include "devices/device_rules.h"
#include "link/families.h"

#include <algorithm>
#include <cctype>

namespace gang::cli {

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

struct TVppName {
    int32_t Code;
    const char* Text;
};

constexpr TVppName Vpp_Names[] = {
    {Vpp_25V, "25"}, {Vpp_21V, "21"}, {Vpp_12V5, "12.5"}, {Vpp_12V, "12"}, {Vpp_5V, "5"}};

} // namespace

const TDeviceType* Find_Type(const std::string& name)
{
    const std::string wanted = Upper(name);
    for (const TDeviceType& row : Device_Rows())
        if (row.Is_Type() && Upper(row.Type_Name) == wanted)
            return &row;
    return nullptr;
}

int32_t Default_Vpp_Code(const TDeviceType& type)
{
    // As the device list applies a row: 12.5 V unless the row names its
    // own, 5 V for the EEPROM families.
    if (const TFamily* family = Family_Row(type.Family); family && family->Fixed_Vpp != 0)
        return family->Fixed_Vpp;
    return type.Vpp_Code != 0 ? type.Vpp_Code : Vpp_12V5;
}

std::vector<int32_t> Allowed_Vpp_Codes(const TDeviceType& type)
{
    std::vector<int32_t> codes;
    for (int32_t code = Default_Vpp_Code(type);
         std::find(codes.begin(), codes.end(), code) == codes.end(); code = Next_Vpp_Code(code))
        codes.push_back(code);
    return codes;
}

std::string Vpp_Text(int32_t code)
{
    for (const TVppName& name : Vpp_Names)
        if (name.Code == code)
            return name.Text;
    return "";
}

int32_t Vpp_Code_Of(const std::string& text)
{
    std::string number = text;
    if (!number.empty() && (number.back() == 'V' || number.back() == 'v'))
        number.pop_back();
    for (const TVppName& name : Vpp_Names)
        if (number == name.Text)
            return name.Code;
    return 0;
}

} // namespace gang::cli
