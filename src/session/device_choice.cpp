#include "session/device_choice.h"

#include "devices/device_rules.h"
#include "link/voltages.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace gang::session {

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

constexpr std::pair<TSdp_Mode, const char*> Sdp_Names[] = {
    {TSdp_Mode::Unlock, "unlock"}, {TSdp_Mode::Keep, "keep"}, {TSdp_Mode::Lock, "lock"}};

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
    return gang::Default_Vpp_Code(type.Family, type.Vpp_Code);
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
    const TVoltage* row = Voltage_Row(code);
    return row != nullptr ? row->Text : "";
}

int32_t Vpp_Code_Of(const std::string& text)
{
    std::string number = text;
    if (!number.empty() && (number.back() == 'V' || number.back() == 'v'))
        number.pop_back();
    const TVoltage* row = Voltage_Row_Of_Text(number);
    return row != nullptr ? row->Code : 0;
}

std::optional<TSdp_Mode> Sdp_Mode_Of(const std::string& name)
{
    for (const auto& [mode, text] : Sdp_Names)
        if (name == text)
            return mode;
    return std::nullopt;
}

const char* Sdp_Mode_Name(TSdp_Mode mode)
{
    for (const auto& [known, text] : Sdp_Names)
        if (known == mode)
            return text;
    return "";
}

} // namespace gang::session
