// The programming voltages, one table row per voltage code: the number the
// Vpp button shows, the two latch values, the button's caption, the code a
// click on the button steps to, and which device families may take it.
// Setting the latches, stepping the button, the default of a chosen type and
// the command line's voltage names all read this table.
#pragma once

#include <cstdint>
#include <string>

namespace gang {

// Voltage codes (TSelection::Vpp_Code).
constexpr int32_t Vpp_25V = 1;
constexpr int32_t Vpp_21V = 2;
constexpr int32_t Vpp_12V5 = 3;
constexpr int32_t Vpp_12V = 4;
constexpr int32_t Vpp_5V = 5;

struct TVoltage {
    int32_t Code;
    const char* Text;      // "12.5": the number on the button, the command line's name
    uint8_t Vpp_Value;     // Vpp_Latch
    uint8_t Latch_3_Value; // Latch_3
    const char* Caption;   // "Vpp = 12.5"
    int32_t Next_On_Click; // the Vpp button steps 25 -> 21 -> 12.5 -> 25 V; others stay
    bool For_Eeprom;       // an EEPROM family may take it (and takes nothing else)
};

// The row of a code; nullptr for an unknown code.
const TVoltage* Voltage_Row(int32_t code);
// The row whose Text is text ("12.5"); nullptr for none.
const TVoltage* Voltage_Row_Of_Text(const std::string& text);

// The latch values and caption of a voltage code.
struct TVppSetting {
    uint32_t Vpp_Value;
    uint32_t Latch_3_Value;
    const char* Caption; // nullptr: the caption stays as it is
};
TVppSetting Vpp_Setting(int32_t code);

// The code a click on the Vpp button leaves; an unknown code stays.
int32_t Next_Vpp_Code(int32_t code);

// The voltage a type of that family gets when chosen: the EEPROM families
// always the one voltage they may take, the others the type's own code, or
// 12.5 V when the type names none (type_code 0).
int32_t Default_Vpp_Code(int32_t family, int32_t type_code);

} // namespace gang
