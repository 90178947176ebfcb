#include "session/serial.h"

#include "platform/system_file.h"
#include "session/json_number.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <utility>

namespace gang::session {

namespace {

constexpr std::pair<TSerialFormat, const char*> Format_Names[] = {
    {TSerialFormat::Le, "le"},   {TSerialFormat::Be, "be"},   {TSerialFormat::Bcd, "bcd"},
    {TSerialFormat::Dec, "dec"}, {TSerialFormat::Hex, "hex"},
};

constexpr int State_Version = 1;
// A state file holds a few numbers; with reuse, the serials of failed chips
// waiting: 16 MiB is far beyond any of them.
constexpr std::size_t Max_State_Bytes = std::size_t{16} * 1024 * 1024;

// base^digits - 1, saturated at the largest 64-bit value.
uint64_t Largest_Of_Digits(uint64_t base, int digits)
{
    uint64_t largest = 1;
    for (int i = 0; i < digits; ++i) {
        if (largest > UINT64_MAX / base)
            return UINT64_MAX;
        largest *= base;
    }
    return largest - 1;
}

// The digits of value in base, most significant first, count of them.
std::vector<uint8_t> Digits(uint64_t value, uint64_t base, int count)
{
    std::vector<uint8_t> digits(static_cast<std::size_t>(count));
    for (int i = count - 1; i >= 0; --i) {
        digits[static_cast<std::size_t>(i)] = static_cast<uint8_t>(value % base);
        value /= base;
    }
    return digits;
}

} // namespace

const char* Serial_Format_Name(TSerialFormat format)
{
    for (const auto& [known, name] : Format_Names)
        if (known == format)
            return name;
    return "";
}

std::optional<TSerialFormat> Serial_Format_Of(const std::string& name)
{
    for (const auto& [format, known] : Format_Names)
        if (name == known)
            return format;
    return std::nullopt;
}

const char* Serial_Failed_Name(TSerialFailed failed)
{
    return failed == TSerialFailed::Reuse ? "reuse" : "skip";
}

std::optional<TSerialFailed> Serial_Failed_Of(const std::string& name)
{
    if (name == "skip")
        return TSerialFailed::Skip;
    if (name == "reuse")
        return TSerialFailed::Reuse;
    return std::nullopt;
}

uint64_t Largest_Serial(TSerialFormat format, int size)
{
    if (size < 1 || size > 8)
        return 0;
    switch (format) {
    case TSerialFormat::Le:
    case TSerialFormat::Be:
        return Largest_Of_Digits(256, size);
    case TSerialFormat::Bcd:
        return Largest_Of_Digits(10, 2 * size);
    case TSerialFormat::Dec:
        return Largest_Of_Digits(10, size);
    case TSerialFormat::Hex:
        return Largest_Of_Digits(16, size);
    }
    return 0;
}

std::string Serial_Too_Large(uint64_t value, TSerialFormat format, int size)
{
    return "serial " + std::to_string(value) + " does not fit " + std::to_string(size) +
           " byte(s) of " + Serial_Format_Name(format) + ": the largest that fits is " +
           std::to_string(Largest_Serial(format, size));
}

std::optional<std::vector<uint8_t>> Serial_Bytes(uint64_t value, TSerialFormat format, int size)
{
    if (size < 1 || size > 8 || value > Largest_Serial(format, size))
        return std::nullopt;
    std::vector<uint8_t> bytes;
    switch (format) {
    case TSerialFormat::Be:
        bytes = Digits(value, 256, size);
        break;
    case TSerialFormat::Le:
        bytes = Digits(value, 256, size);
        std::reverse(bytes.begin(), bytes.end());
        break;
    case TSerialFormat::Bcd: {
        const std::vector<uint8_t> digits = Digits(value, 10, 2 * size);
        for (std::size_t i = 0; i < digits.size(); i += 2)
            bytes.push_back(static_cast<uint8_t>(digits[i] << 4 | digits[i + 1]));
        break;
    }
    case TSerialFormat::Dec:
        for (uint8_t digit : Digits(value, 10, size))
            bytes.push_back(static_cast<uint8_t>('0' + digit));
        break;
    case TSerialFormat::Hex:
        for (uint8_t digit : Digits(value, 16, size))
            bytes.push_back(static_cast<uint8_t>(digit < 10 ? '0' + digit : 'A' + digit - 10));
        break;
    }
    return bytes;
}

bool Parse_Serial_State(const std::string& bytes, uint64_t& next, std::vector<uint64_t>& returned,
                        std::string& what)
{
    QJsonParseError parse_error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &parse_error);
    if (document.isNull()) {
        what = "not JSON: " + parse_error.errorString().toStdString();
        return false;
    }
    if (!document.isObject()) {
        what = "not one JSON object";
        return false;
    }
    const QJsonObject state = document.object();
    for (auto key = state.begin(); key != state.end(); ++key)
        if (key.key() != "version" && key.key() != "next" && key.key() != "returned") {
            what = "\"" + key.key().toStdString() + "\" is not a setting of a serial state";
            return false;
        }
    if (Whole_Number(state["version"], 0, INT32_MAX) != State_Version) {
        what = "\"version\" is not 1";
        return false;
    }
    if (!state["next"].isString() || !Decimal_Of(state["next"].toString().toStdString())) {
        what = "\"next\" wants a serial in decimal digits, as text";
        return false;
    }
    next = *Decimal_Of(state["next"].toString().toStdString());
    returned.clear();
    if (!state["returned"].isArray()) {
        what = "\"returned\" wants a list of serials";
        return false;
    }
    for (const auto& serial : state["returned"].toArray()) {
        const std::optional<uint64_t> value =
            serial.isString() ? Decimal_Of(serial.toString().toStdString()) : std::nullopt;
        if (!value) {
            what = "\"returned\" wants serials in decimal digits, as text";
            return false;
        }
        if (*value >= next) {
            what = "\"returned\" holds " + std::to_string(*value) +
                   ", which was never handed out (\"next\" is " + std::to_string(next) + ")";
            return false;
        }
        returned.push_back(*value);
    }
    std::sort(returned.begin(), returned.end());
    const auto twice = std::adjacent_find(returned.begin(), returned.end());
    if (twice != returned.end()) {
        what = "\"returned\" holds " + std::to_string(*twice) + " twice";
        return false;
    }
    return true;
}

bool TSerialState::Open(const TSerialSettings& settings, std::string& error)
{
    Settings = settings;
    const std::string network = Network_File_System(settings.State_Path);
    if (!network.empty()) {
        error = settings.State_Path + ": the serial state is on a network file system (" + network +
                "), whose locks cannot be trusted: keep it on a local disk of the machine the "
                "stations run on";
        return false;
    }
    Was_There = false;
    if (!Load(error))
        return false;
    Was_There = From_Disk;
    return true;
}

bool TSerialState::Load(std::string& error)
{
    const std::string& path = Settings.State_Path;
    std::string bytes;
    try {
        From_Disk = Read_Small_File(path, Max_State_Bytes, bytes);
    } catch (const ESystemError& e) {
        error = path + ": " + System_Error_Text(e);
        return false;
    }
    if (!From_Disk) {
        if (Was_There) {
            // Made from the start value again, it would hand out every
            // serial since once more.
            error = path + ": the serial state has gone since the station read it";
            return false;
        }
        Next_Serial = Settings.Start;
        Returned.clear();
        return true;
    }
    std::string what;
    if (!Parse_Serial_State(bytes, Next_Serial, Returned, what)) {
        error = path + ": not a serial state this program can trust: " + what;
        return false;
    }
    return true;
}

uint64_t TSerialState::Next() const
{
    return Returned.empty() ? Next_Serial : Returned.front();
}

std::vector<uint64_t> TSerialState::Upcoming(int gang) const
{
    // Handed out as Reserve hands them, on copies: up to the first that
    // would not fit.
    uint64_t next = Next_Serial;
    std::vector<uint64_t> returned = Returned;
    TSerialGrant grant;
    std::string error;
    (void)Take(gang, next, returned, grant, error);
    std::vector<uint64_t> serials;
    for (std::size_t s = 1; s < grant.By_Socket.size() && grant.By_Socket[s]; ++s)
        serials.push_back(*grant.By_Socket[s]);
    return serials;
}

std::optional<TFile_Lock> TSerialState::Lock_And_Load(std::string& error)
{
    std::optional<TFile_Lock> lock;
    try {
        lock.emplace(TFile_Lock::Take(Settings.State_Path + ".lock"));
    } catch (const ESystemError& e) {
        error = Settings.State_Path + ".lock: " + System_Error_Text(e);
        return std::nullopt;
    }
    // What the other stations have taken meanwhile.
    if (!Load(error))
        return std::nullopt;
    return lock;
}

bool TSerialState::Reserve(int gang, TSerialGrant& grant, std::string& error)
{
    const std::optional<TFile_Lock> lock = Lock_And_Load(error);
    if (!lock)
        return false;
    std::vector<uint64_t> returned = Returned;
    uint64_t next = Next_Serial;
    TSerialGrant granted;
    if (!Take(gang, next, returned, granted, error))
        return false;
    const uint64_t old_next = Next_Serial;
    std::vector<uint64_t> old_returned = std::move(Returned);
    Next_Serial = next;
    Returned = std::move(returned);
    if (!Write(error)) {
        Next_Serial = old_next;
        Returned = std::move(old_returned);
        return false;
    }
    Was_There = true;
    grant = std::move(granted);
    return true;
}

bool TSerialState::Take(int gang, uint64_t& next, std::vector<uint64_t>& returned,
                        TSerialGrant& grant, std::string& error) const
{
    const uint64_t largest = Largest_Serial(Settings.Format, Settings.Size);
    grant.By_Socket.assign(static_cast<std::size_t>(gang) + 1, std::nullopt);
    for (int s = 1; s <= gang; ++s) {
        uint64_t serial = next;
        if (!returned.empty()) {
            serial = returned.front();
            returned.erase(returned.begin());
        } else {
            if (next > UINT64_MAX - Settings.Step) {
                error = "no serial after " + std::to_string(next) + " (the largest number)";
                return false;
            }
            next += Settings.Step;
        }
        if (serial > largest) {
            error = Serial_Too_Large(serial, Settings.Format, Settings.Size);
            return false;
        }
        grant.By_Socket[static_cast<std::size_t>(s)] = serial;
    }
    return true;
}

bool TSerialState::Would_Fit(int gang, std::string& error) const
{
    uint64_t next = Next_Serial;
    std::vector<uint64_t> returned = Returned;
    TSerialGrant grant;
    return Take(gang, next, returned, grant, error);
}

bool TSerialState::Settle(const TSerialGrant& grant, const std::vector<bool>& failed,
                          std::string& error)
{
    if (Settings.Failed != TSerialFailed::Reuse)
        return true;
    std::vector<uint64_t> back;
    for (std::size_t s = 1; s < grant.By_Socket.size() && s < failed.size(); ++s)
        if (failed[s] && grant.By_Socket[s])
            back.push_back(*grant.By_Socket[s]);
    if (back.empty())
        return true;
    const std::optional<TFile_Lock> lock = Lock_And_Load(error);
    if (!lock)
        return false;
    for (uint64_t serial : back)
        if (serial < Next_Serial && !std::binary_search(Returned.begin(), Returned.end(), serial))
            Returned.insert(std::upper_bound(Returned.begin(), Returned.end(), serial), serial);
    return Write(error);
}

bool TSerialState::Write(std::string& error) const
{
    // The numbers as decimal text: a JSON number would lose the low digits
    // of a serial beyond 2^53.
    QJsonArray returned;
    for (uint64_t serial : Returned)
        returned.append(QString::number(serial));
    const QJsonObject state{
        {"version", State_Version}, {"next", QString::number(Next_Serial)}, {"returned", returned}};
    const std::string text = QJsonDocument(state).toJson().toStdString();
    if (Replace_Durably(Settings.State_Path, text, error))
        return true;
    error = Settings.State_Path + ": " + error;
    return false;
}

std::string Serial_Ranges(std::vector<uint64_t> serials)
{
    std::sort(serials.begin(), serials.end());
    serials.erase(std::unique(serials.begin(), serials.end()), serials.end());
    std::string text;
    for (std::size_t i = 0; i < serials.size();) {
        std::size_t j = i;
        while (j + 1 < serials.size() && serials[j + 1] == serials[j] + 1)
            ++j;
        text += (text.empty() ? "" : ", ") + std::to_string(serials[i]);
        if (j > i)
            text += "-" + std::to_string(serials[j]);
        i = j + 1;
    }
    return text;
}

} // namespace gang::session
