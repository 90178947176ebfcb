// The parallel port the user names on the command line (--port), parsed
// without side effects so that every program parses it the same way:
//
//   D010, 0xD010, 378   a base address in hexadecimal (one to four digits)
//   /dev/parportN       the kernel's port N; its base comes from the system
//   auto                the ordinary search (the default)
//
// The base must leave room for the ECP control register at base + 0x402.
#pragma once

#include <cstdint>
#include <string>

namespace gang {

struct TPortChoice {
    enum class TKind { Auto, Base, Device };
    TKind Kind = TKind::Auto;
    uint16_t Base = 0;     // Kind == Base
    int Device_Index = -1; // Kind == Device: the N of /dev/parportN
};

struct TPortChoiceResult {
    bool Ok = false;
    TPortChoice Choice;
    std::string Error; // for the user when !Ok: names the value and the forms
};

TPortChoiceResult Parse_Port_Choice(const std::string& text);

} // namespace gang
