#include "sim/sim_options.h"

#include "sim/chip_types.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace gang::sim {

namespace {

constexpr unsigned long Highest_Base = 0xFFFF - 0x402;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Whole-string unsigned number in the given base; false on anything else.
bool Parse_Unsigned(const std::string& text, int base, unsigned long& value)
{
    std::string digits = text;
    if (base == 16 && digits.size() > 2 && digits[0] == '0' &&
        (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 8)
        return false;
    for (char c : digits)
        if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c))
                         : std::isdigit(static_cast<unsigned char>(c))))
            return false;
    value = std::strtoul(digits.c_str(), nullptr, base);
    return true;
}

// "none", or a base address in hexadecimal (0x optional) that leaves room
// for the ECP register at base + 0x402.
bool Parse_Base(const std::string& text, TSimConfig& config)
{
    const std::string value = Lower(text);
    if (value == "none") {
        config.Present = false;
        return true;
    }
    unsigned long base = 0;
    if (!Parse_Unsigned(value, 16, base) || base == 0 || base > Highest_Base)
        return false;
    config.Base = static_cast<uint16_t>(base);
    config.Present = true;
    return true;
}

// "BIT@ADDR" of the stuck faults.
bool Parse_Bit_At(const std::string& text, TFault& fault)
{
    const auto at = text.find('@');
    if (at == std::string::npos)
        return false;
    unsigned long bit = 0, address = 0;
    if (!Parse_Unsigned(text.substr(0, at), 10, bit) || bit > 7 ||
        !Parse_Unsigned(text.substr(at + 1), 16, address))
        return false;
    fault.Bit = static_cast<uint8_t>(bit);
    fault.Address = static_cast<uint32_t>(address);
    return true;
}

// The number of address lines of a type: A0 up to the highest below its size.
int Address_Lines(const TChipType& type)
{
    int lines = 0;
    while ((1u << lines) < type.Size)
        ++lines;
    return lines;
}

// Fault names: stuck1:BIT@ADDR, stuck0:BIT@ADDR, slow, nocomplete,
// pagewrong[:ADDR[@BIT]] (bit 0 by default), sdp, data0:BIT, data1:BIT,
// addr0:LINE, addr1:LINE.
std::string Parse_Fault(const std::string& text, const TChipType& type, TFault& fault)
{
    const auto colon = text.find(':');
    const std::string name = Lower(text.substr(0, colon));
    const std::string arg = colon == std::string::npos ? "" : text.substr(colon + 1);
    const bool eeprom = type.Kind == TChipKind::Eeprom;
    if (name == "stuck1" || name == "stuck0") {
        fault.Kind = name == "stuck1" ? TFaultKind::Stuck_At_1 : TFaultKind::Stuck_At_0;
        if (!Parse_Bit_At(arg, fault))
            return "fault '" + text + "' needs BIT@ADDR, e.g. " + name + ":3@01F0";
    } else if (name == "slow" && arg.empty()) {
        if (eeprom)
            return "fault 'slow' needs a UV EPROM, not a " + std::string(type.Name);
        fault.Kind = TFaultKind::Slow_Pulses;
    } else if (name == "nocomplete" && arg.empty()) {
        if (!eeprom)
            return "fault 'nocomplete' needs an EEPROM, not a " + std::string(type.Name);
        fault.Kind = TFaultKind::Write_Never_Completes;
    } else if (name == "pagewrong") {
        if (!eeprom)
            return "fault 'pagewrong' needs an EEPROM, not a " + std::string(type.Name);
        fault.Kind = TFaultKind::Page_Reads_Wrong;
        if (!arg.empty()) {
            const auto at = arg.find('@');
            unsigned long address = 0, bit = 0;
            if (!Parse_Unsigned(arg.substr(0, at), 16, address) ||
                (at != std::string::npos &&
                 (!Parse_Unsigned(arg.substr(at + 1), 10, bit) || bit > 7)))
                return "fault '" + text + "' needs pagewrong:ADDR or pagewrong:ADDR@BIT";
            fault.Address = static_cast<uint32_t>(address);
            fault.Bit = static_cast<uint8_t>(bit);
        }
    } else if (name == "data0" || name == "data1") {
        fault.Kind = name == "data0" ? TFaultKind::Data_Line_0 : TFaultKind::Data_Line_1;
        unsigned long bit = 0;
        if (!Parse_Unsigned(arg, 10, bit) || bit > 7)
            return "fault '" + text + "' needs a data line from 0 to 7, e.g. " + name + ":5";
        fault.Bit = static_cast<uint8_t>(bit);
    } else if (name == "addr0" || name == "addr1") {
        fault.Kind = name == "addr0" ? TFaultKind::Address_Line_0 : TFaultKind::Address_Line_1;
        const int lines = Address_Lines(type);
        unsigned long line = 0;
        if (!Parse_Unsigned(arg, 10, line) || line >= static_cast<unsigned long>(lines))
            return "fault '" + text + "' needs an address line of a " + type.Name + ", 0 to " +
                   std::to_string(lines - 1);
        fault.Line = static_cast<uint8_t>(line);
    } else if (name == "sdp" && arg.empty()) {
        if (!eeprom || type.Page_Size <= 1)
            return "fault 'sdp' needs a 28C64 or 28C256, not a " + std::string(type.Name);
        fault.Kind = TFaultKind::Sdp_Locked;
    } else {
        return "unknown fault '" + text + "'";
    }
    if (fault.Address >= type.Size)
        return "fault address in '" + text + "' is beyond the end of a " + type.Name;
    return "";
}

// "N=TYPE|empty[,FAULT]"
std::string Parse_Socket(const std::string& text, TSocketOption& socket)
{
    const auto equals = text.find('=');
    unsigned long number = 0;
    if (equals == std::string::npos || !Parse_Unsigned(text.substr(0, equals), 10, number) ||
        number < 1 || number > 5)
        return "--socket wants N=TYPE with N from 1 to 5, not '" + text + "'";
    socket.Socket = static_cast<int>(number);
    const std::string rest = text.substr(equals + 1);
    const auto comma = rest.find(',');
    const std::string type_name = rest.substr(0, comma);
    if (Lower(type_name) == "empty") {
        socket.Empty = true;
        if (comma != std::string::npos)
            return "an empty socket takes no fault: '" + text + "'";
        return "";
    }
    const TChipType* type = Find_Chip_Type_Nocase(type_name);
    if (!type)
        return "unknown device type '" + type_name + "' in --socket " + text;
    socket.Type = type->Name;
    if (comma != std::string::npos)
        return Parse_Fault(rest.substr(comma + 1), *type, socket.Fault);
    return "";
}

bool Parse_Access_Us(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(value) && value >= 0 && value <= 1e6;
}

} // namespace

TSimOptionsResult Parse_Sim_Options(const std::vector<std::string>& args)
{
    TSimOptionsResult result;
    TSimOptions& options = result.Options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::string value;
        bool has_value = false;
        const auto equals = option.find('=');
        if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
            has_value = true;
        }
        const bool takes_value = option == "--base" || option == "--socket" ||
                                 option == "--trace" || option == "--access-us" ||
                                 option == "--tray";
        if (takes_value && !has_value) {
            if (i + 1 >= args.size()) {
                result.Error = "option " + option + " needs a value";
                return result;
            }
            value = args[++i];
        } else if (!takes_value && has_value) {
            result.Error = "option " + option + " takes no value";
            return result;
        }

        if (option == "--help") {
            options.Help = true;
        } else if (option == "--fast") {
            options.Config.Fast_Chips = true;
        } else if (option == "--base") {
            if (!Parse_Base(value, options.Config)) {
                result.Error =
                    "--base wants a hexadecimal base address up to FBFD (e.g. 378 or D010) "
                    "or none, not '" +
                    value + "'";
                return result;
            }
        } else if (option == "--trace") {
            if (value.empty()) {
                result.Error = "--trace needs a file name";
                return result;
            }
            options.Trace_Path = value;
        } else if (option == "--tray") {
            if (value.empty()) {
                result.Error = "--tray needs a folder";
                return result;
            }
            options.Tray_Path = value;
        } else if (option == "--access-us") {
            if (!Parse_Access_Us(value, options.Config.Access_Us)) {
                result.Error = "--access-us wants a number of microseconds, not '" + value + "'";
                return result;
            }
        } else if (option == "--socket") {
            TSocketOption socket;
            result.Error = Parse_Socket(value, socket);
            if (!result.Error.empty())
                return result;
            options.Sockets.push_back(socket);
        } else {
            result.Error = "unknown option '" + args[i] + "'";
            return result;
        }
    }
    result.Ok = true;
    return result;
}

const char* Sim_Usage_Text()
{
    return "Usage: gang-adapter-sim [options]\n"
           "The gang adapter program over a simulated adapter with five sockets.\n"
           "\n"
           "Options:\n"
           "  --base BASE|none          port base of the simulated adapter in hexadecimal\n"
           "                            (default 378; e.g. D010 for an add-in card, which\n"
           "                            the simulated system then lists; none: no adapter\n"
           "                            on any port)\n"
           "  --socket N=TYPE|empty[,FAULT]\n"
           "                            put a blank chip of TYPE (e.g. 27C256) into socket\n"
           "                            N (1-5), or leave it empty; repeatable.  Without it\n"
           "                            every socket gets a blank chip of the type chosen\n"
           "                            in the window.  FAULT is one of:\n"
           "                              stuck1:BIT@ADDR  bit never programs (ADDR in hex)\n"
           "                              stuck0:BIT@ADDR  bit reads 0, chip never blank\n"
           "                              slow             EPROM needs far longer pulses\n"
           "                              nocomplete       EEPROM write never completes\n"
           "                              pagewrong[:ADDR[@BIT]]\n"
           "                                               EEPROM page reads back wrong\n"
           "                              sdp              28C64 / 28C256 write-protected\n"
           "                              data0:BIT        data line BIT (0-7) reads 0\n"
           "                              data1:BIT        data line BIT (0-7) reads 1\n"
           "                              addr0:LINE       address line LINE (0-15, within\n"
           "                                               the chip's) stuck at 0\n"
           "                              addr1:LINE       address line LINE stuck at 1\n"
           "  --trace FILE              write every port access to FILE\n"
           "  --tray DIR                every chip taken out of the sockets (as a gang is\n"
           "                            refilled, and at the end) saved in DIR as a file\n"
           "                            of its bytes\n"
           "  --access-us N             simulated cost of one port access in us (default 1)\n"
           "  --fast                    chips program on any valid pulse\n"
           "  --help                    show this text\n";
}

} // namespace gang::sim
