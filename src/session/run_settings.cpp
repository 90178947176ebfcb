#include "session/run_settings.h"

#include "core/hex_text.h"
#include "link/address_map.h"
#include "session/device_choice.h"
#include "session/image_file.h"
#include "session/json_number.h"

#include <QJsonValue>
#include <QString>

#include <algorithm>
#include <cmath>
#include <functional>

namespace gang::session {

namespace {

using TRule = std::optional<std::string>;

// The largest offset a run takes either way: further than that nothing of
// any file can land in a device.
constexpr int64_t Offset_Limit = 0x7FFFFFFF;

// One setting: its names and how its text becomes its value (the rule's
// words when it does not).
struct TSettingRow {
    TSetting Setting;
    const char* Option;
    const char* Key;
    std::function<TRule(TRunSettings&, const std::string&)> Take;
};

TSerialSettings& Serial_Of(TRunSettings& settings)
{
    if (!settings.Serial)
        settings.Serial = TSerialSettings{};
    return *settings.Serial;
}

std::string Not(const std::string& text)
{
    return ", not '" + text + "'";
}

// A whole number from low to high written in decimal.
std::optional<int64_t> Whole(const std::string& text, int64_t low, int64_t high)
{
    bool ok = false;
    const qlonglong value = QString::fromStdString(text).toLongLong(&ok, 10);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

const TSettingRow Setting_Rows[] = {
    {TSetting::Type, "--type", "type",
     [](TRunSettings& s, const std::string& text) -> TRule {
         s.Type = Find_Type(text);
         if (s.Type == nullptr)
             return "names no device type (see the types command)" + Not(text);
         return std::nullopt;
     }},
    {TSetting::Gang, "--gang", "gang",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const auto gang = Whole(text, 1, Max_Gang_Size);
         if (!gang)
             return "wants 1 to 5" + Not(text);
         s.Gang = static_cast<int>(*gang);
         return std::nullopt;
     }},
    {TSetting::Voltage, "--vpp", "voltage",
     [](TRunSettings& s, const std::string& text) -> TRule {
         s.Vpp_Code = Vpp_Code_Of(text);
         if (s.Vpp_Code == 0)
             return "wants 25, 21, 12.5, 12 or 5" + Not(text);
         return std::nullopt;
     }},
    {TSetting::Format, "--format", "image.format",
     [](TRunSettings& s, const std::string& text) -> TRule {
         s.Format = Format_From_Name(text);
         if (!s.Format)
             return "wants bin, intel, motorola or ascii" + Not(text);
         return std::nullopt;
     }},
    {TSetting::Offset, "--offset", "offset",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const std::optional<int64_t> offset = Offset_Of(text);
         if (!offset)
             return "wants a hex address, - in front to move down (-8000)" + Not(text);
         if (*offset < -Offset_Limit || *offset > Offset_Limit)
             return "wants at most 7FFFFFFF either way" + Not(text);
         s.Placement.Offset = *offset;
         return std::nullopt;
     }},
    {TSetting::Sdp, "--sdp", "sdp",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const auto mode = Sdp_Mode_Of(text);
         if (!mode)
             return "wants unlock, keep or lock" + Not(text);
         s.Sdp = *mode;
         return std::nullopt;
     }},
    {TSetting::Socket_Limit, "--socket-limit", "socket_limit",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const auto limit = Whole(text, 0, 2147483647);
         if (!limit)
             return "wants a number of insertions (0 for no limit)" + Not(text);
         s.Socket_Limit = static_cast<int>(*limit);
         return std::nullopt;
     }},
    {TSetting::Store, "--store", "store",
     [](TRunSettings& s, const std::string& text) -> TRule {
         if (text.rfind("postgresql://", 0) != 0 && text.rfind("postgres://", 0) != 0)
             return std::string("wants a PostgreSQL URL (postgresql://USER@HOST/DATABASE)");
         s.Store = text;
         return std::nullopt;
     }},
    {TSetting::Quantity, "--quantity", "quantity",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const auto quantity = Whole(text, 0, 2147483647);
         if (!quantity)
             return "wants a number of chips (0 for none)" + Not(text);
         s.Quantity = static_cast<int>(*quantity);
         return std::nullopt;
     }},
    {TSetting::Serial_Pool, "--serial-pool", "serial.pool",
     [](TRunSettings& s, const std::string& text) -> TRule {
         if (text.empty())
             return std::string("wants the pool's name");
         Serial_Of(s).Pool = text;
         return std::nullopt;
     }},
    {TSetting::Serial_At, "--serial-at", "serial.at",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const std::optional<int64_t> at = Offset_Of(text);
         if (!at || *at < 0 || *at > 0xFFFF)
             return "wants a hex address from 0000 to FFFF" + Not(text);
         Serial_Of(s).At = static_cast<int32_t>(*at);
         return std::nullopt;
     }},
    {TSetting::Serial_Size, "--serial-size", "serial.size",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const auto size = Whole(text, 1, 8);
         if (!size)
             return "wants 1 to 8 bytes" + Not(text);
         Serial_Of(s).Size = static_cast<int>(*size);
         return std::nullopt;
     }},
    {TSetting::Serial_Format, "--serial-format", "serial.format",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const auto format = Serial_Format_Of(text);
         if (!format)
             return "wants le, be, bcd, dec or hex" + Not(text);
         Serial_Of(s).Format = *format;
         return std::nullopt;
     }},
    {TSetting::Serial_Start, "--serial-start", "serial.start",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const auto start = Decimal_Of(text);
         if (!start)
             return "wants a decimal number" + Not(text);
         Serial_Of(s).Start = *start;
         return std::nullopt;
     }},
    {TSetting::Serial_Step, "--serial-step", "serial.step",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const auto step = Decimal_Of(text);
         if (!step || *step == 0)
             return "wants a decimal number above 0" + Not(text);
         Serial_Of(s).Step = *step;
         return std::nullopt;
     }},
    {TSetting::Serial_Failed, "--serial-failed", "serial.failed",
     [](TRunSettings& s, const std::string& text) -> TRule {
         const auto failed = Serial_Failed_Of(text);
         if (!failed)
             return "wants skip or reuse" + Not(text);
         Serial_Of(s).Failed = *failed;
         return std::nullopt;
     }},
};

const TSettingRow& Row_Of(TSetting setting)
{
    for (const TSettingRow& row : Setting_Rows)
        if (row.Setting == setting)
            return row;
    return Setting_Rows[0];
}

std::string Allowed_Voltages(const TDeviceType& type)
{
    std::string text;
    for (int32_t code : Allowed_Vpp_Codes(type))
        text += (text.empty() ? "" : ", ") + Vpp_Text(code);
    return text;
}

// A job key's value as the text an option would give: numbers written
// exactly (a whole number as its digits), text as it is.  nullopt for
// anything else (an object, an array, true or false, null).
std::optional<std::string> Text_Of(const QJsonValue& value)
{
    if (value.isString())
        return value.toString().toStdString();
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // Up to 2^53 a double holds every whole number exactly.
    if (std::trunc(number) == number && std::fabs(number) <= Exact_Double_Limit)
        return std::to_string(static_cast<int64_t>(number));
    return QString::number(number, 'g', 17).toStdString();
}

// Reads the keys of one object into the settings, naming the first that is
// missing or of the wrong kind.
class TKeys {
public:
    TKeys(const QJsonObject& object, TRunSettings& settings, std::string& error)
        : Object(object), Settings(settings), Error(error)
    {
    }
    // A setting of the table under its key's last part.
    bool Setting(TSetting setting, bool required = true)
    {
        const std::string key = Row_Of(setting).Key;
        const QJsonValue value = Object[QString::fromStdString(key.substr(key.find('.') + 1))];
        if (value.isUndefined())
            return !required || Missing(Key_Name(setting));
        const std::optional<std::string> text = Text_Of(value);
        if (!text) {
            Error = Key_Name(setting) + " wants a text or a number";
            return false;
        }
        if (const auto error = Settings.Set(setting, *text)) {
            Error = Key_Error(*error);
            return false;
        }
        return true;
    }
    bool Flag(const char* key, bool& value, bool required = true)
    {
        const QJsonValue field = Object[QLatin1String(key)];
        if (field.isUndefined())
            return !required || Missing("\"" + std::string(key) + "\"");
        if (!field.isBool()) {
            Error = "\"" + std::string(key) + "\" wants true or false";
            return false;
        }
        value = field.toBool();
        return true;
    }
    bool Text(const char* key, const char* name, std::string& value, bool required = true)
    {
        const QJsonValue field = Object[QLatin1String(key)];
        if (field.isUndefined())
            return !required || Missing("\"" + std::string(name) + "\"");
        if (!field.isString()) {
            Error = "\"" + std::string(name) + "\" wants text";
            return false;
        }
        value = field.toString().toStdString();
        return true;
    }

private:
    bool Missing(const std::string& name)
    {
        Error = name + " is missing";
        return false;
    }
    const QJsonObject& Object;
    TRunSettings& Settings;
    std::string& Error;
};

} // namespace

std::string Option_Name(TSetting setting)
{
    return Row_Of(setting).Option;
}

std::string Key_Name(TSetting setting)
{
    return "\"" + std::string(Row_Of(setting).Key) + "\"";
}

std::string Option_Error(const TSettingError& error)
{
    return Option_Name(error.Setting) + " " + error.Rule;
}

std::string Key_Error(const TSettingError& error)
{
    return Key_Name(error.Setting) + " " + error.Rule;
}

std::optional<TSettingError> TRunSettings::Set(TSetting setting, const std::string& text)
{
    if (TRule rule = Row_Of(setting).Take(*this, text))
        return TSettingError{setting, std::move(*rule)};
    return std::nullopt;
}

std::optional<TSettingError> TRunSettings::Validate()
{
    if (Type == nullptr)
        return std::nullopt;
    const std::vector<int32_t> allowed = Allowed_Vpp_Codes(*Type);
    if (Vpp_Code == 0)
        Vpp_Code = Default_Vpp_Code(*Type);
    else if (std::find(allowed.begin(), allowed.end(), Vpp_Code) == allowed.end())
        return TSettingError{TSetting::Voltage, "for a " + std::string(Type->Type_Name) +
                                                    " is one of " + Allowed_Voltages(*Type) +
                                                    Not(Vpp_Text(Vpp_Code))};
    if (Serial) {
        const int32_t end = Type->End_Of_Eprom();
        if (Serial->Size < 1 || Serial->Size > 8 || Serial->At + Serial->Size - 1 > end)
            return TSettingError{
                TSetting::Serial_At,
                IntToHex(Serial->At, 4) + " with " + std::to_string(Serial->Size) +
                    " byte(s) does not fit: the serial must be 1 to 8 bytes inside the " +
                    Type->Type_Name + " (0000-" + IntToHex(end, 4) + ")"};
        if (Serial->Start > Largest_Serial(Serial->Format, Serial->Size))
            return TSettingError{TSetting::Serial_Start,
                                 "is too large: " +
                                     Serial_Too_Large(Serial->Start, Serial->Format, Serial->Size)};
        if (!Serial->Pool.empty() && Store.empty())
            return TSettingError{TSetting::Serial_Pool, "needs " + Option_Name(TSetting::Store) +
                                                            " (" + Key_Name(TSetting::Store) +
                                                            "): the pool is in the line's store"};
        if (!Serial->Pool.empty() && !Serial->State_Path.empty())
            return TSettingError{TSetting::Serial_Pool,
                                 "and a serial state file exclude each other: the pool keeps the "
                                 "serials"};
    }
    return std::nullopt;
}

QJsonObject Settings_Json(const TRunSettings& settings)
{
    const auto q = [](const std::string& text) { return QString::fromStdString(text); };
    QJsonObject object;
    object["offset"] = q(Offset_Text(settings.Placement.Offset));
    object["allow_truncate"] = settings.Placement.Allow_Truncate;
    object["type"] = settings.Type != nullptr ? settings.Type->Type_Name : "";
    object["gang"] = settings.Gang;
    object["voltage"] = q(Vpp_Text(settings.Vpp_Code));
    object["sdp"] = Sdp_Mode_Name(settings.Sdp);
    object["blank_first"] = settings.Blank_First;
    object["verify"] = settings.Verify;
    object["diagnose"] = settings.Diagnose;
    if (settings.Serial) {
        const TSerialSettings& serial = *settings.Serial;
        // Serials as decimal text: a JSON number loses digits above 2^53.
        object["serial"] = QJsonObject{{"at", q(Offset_Text(serial.At))},
                                       {"size", serial.Size},
                                       {"format", Serial_Format_Name(serial.Format)},
                                       {"start", q(std::to_string(serial.Start))},
                                       {"step", q(std::to_string(serial.Step))},
                                       {"failed", Serial_Failed_Name(serial.Failed)}};
        QJsonObject block = object["serial"].toObject();
        // Kept in a state file beside the job, or in the line's pool.
        if (serial.Pool.empty())
            block["state"] = q(serial.State_Path);
        else
            block["pool"] = q(serial.Pool);
        object["serial"] = block;
    }
    object["lot"] = q(settings.Lot);
    object["socket_limit"] = settings.Socket_Limit;
    object["report"] = q(settings.Report);
    if (!settings.Store.empty())
        object["store"] = q(settings.Store);
    if (settings.Quantity > 0)
        object["quantity"] = settings.Quantity;
    return object;
}

bool Read_Settings_Json(const QJsonObject& object, TRunSettings& settings, std::string& error)
{
    TKeys keys(object, settings, error);
    if (!keys.Setting(TSetting::Offset, false) ||
        !keys.Flag("allow_truncate", settings.Placement.Allow_Truncate, false) ||
        !keys.Setting(TSetting::Type) || !keys.Setting(TSetting::Gang) ||
        !keys.Setting(TSetting::Voltage) || !keys.Setting(TSetting::Sdp) ||
        !keys.Flag("blank_first", settings.Blank_First) || !keys.Flag("verify", settings.Verify) ||
        !keys.Flag("diagnose", settings.Diagnose) ||
        !keys.Text("lot", "lot", settings.Lot, false) ||
        !keys.Setting(TSetting::Socket_Limit, false) ||
        !keys.Text("report", "report", settings.Report, false) ||
        !keys.Setting(TSetting::Store, false) || !keys.Setting(TSetting::Quantity, false))
        return false;
    settings.Serial.reset();
    const QJsonValue serial = object["serial"];
    if (serial.isUndefined())
        return true;
    if (!serial.isObject()) {
        error = "\"serial\" wants an object";
        return false;
    }
    const QJsonObject block = serial.toObject();
    TKeys serial_keys(block, settings, error);
    std::string state;
    if (!serial_keys.Setting(TSetting::Serial_At) || !serial_keys.Setting(TSetting::Serial_Size) ||
        !serial_keys.Setting(TSetting::Serial_Format) ||
        !serial_keys.Setting(TSetting::Serial_Start) ||
        !serial_keys.Setting(TSetting::Serial_Step) ||
        !serial_keys.Setting(TSetting::Serial_Pool, false) ||
        !serial_keys.Text("state", "serial.state", state, !block.contains("pool")) ||
        !serial_keys.Setting(TSetting::Serial_Failed))
        return false;
    settings.Serial->State_Path = state;
    return true;
}

} // namespace gang::session
