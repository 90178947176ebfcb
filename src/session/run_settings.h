// The settings of a run, whichever front end or file they come from: the
// command line fills them from its options, a job file is their JSON form,
// the operator window takes them from its job.  Each setting is read from
// its text and checked here, once; the front ends only put the setting's
// own name in front of the rule's words ("--vpp" on the command line,
// "\"voltage\"" in a job file).
#pragma once

#include "devices/catalogue.h"
#include "files/file_commands.h"
#include "link/report.h"
#include "session/serial.h"

#include <QJsonObject>

#include <cstdint>
#include <optional>
#include <string>

namespace gang::session {

enum class TSetting {
    Type,
    Gang,
    Voltage,
    Format,
    Offset,
    Sdp,
    Socket_Limit,
    Serial_At,
    Serial_Size,
    Serial_Format,
    Serial_Start,
    Serial_Step,
    Serial_Failed,
    Serial_Pool,
    Store,
    Quantity,
};

// A setting that cannot be used, and the rule it breaks in words that
// follow the setting's name: "wants unlock, keep or lock, not 'open'".
struct TSettingError {
    TSetting Setting;
    std::string Rule;
};

// The setting's name on the command line ("--vpp") and in a job file
// ("\"voltage\"", "\"serial.format\"").
std::string Option_Name(TSetting setting);
std::string Key_Name(TSetting setting);
// The error as the command line and as a job file name it.
std::string Option_Error(const TSettingError& error);
std::string Key_Error(const TSettingError& error);

// Where a file's bytes land in the device.
struct TImagePlacement {
    // The file's address a lands at device address a + Offset: -8000 loads
    // a file whose data starts at 8000 from address 0.
    int64_t Offset = 0;
    // Bytes that land outside the device are dropped with a warning instead
    // of ending the command.
    bool Allow_Truncate = false;
};

struct TRunSettings {
    const TDeviceType* Type = nullptr;
    int Gang = 1;
    // 0 until a type is known: Validate gives it the type's own.
    int32_t Vpp_Code = 0;
    std::optional<TFileType> Format;
    TImagePlacement Placement;
    bool Blank_First = false;
    bool Verify = true;
    // Each socket that failed program or verify read once more to tell why.
    bool Diagnose = true;
    TSdp_Mode Sdp = TSdp_Mode::Unlock;
    std::optional<TSerialSettings> Serial;
    std::string Lot;
    // The records file ("" for none, or a job's default).
    std::string Report;
    // The insertions after which a socket is to be changed; 0 for no limit.
    int Socket_Limit = 0;
    // The line's store: a PostgreSQL URL without a password ("" for none;
    // the serial pool is Serial->Pool), and the lot's quantity: it ends when
    // that many of its chips passed (0 for none).
    std::string Store;
    int Quantity = 0;

    // One setting from its text, as an option or a job key gives it.
    // Serial settings make the serial block when it is missing.
    std::optional<TSettingError> Set(TSetting setting, const std::string& text);
    // The rules between settings (the voltage and the serial's bytes for the
    // type, the serial's start for its size and format); fills in the
    // type's own voltage when none was named.
    std::optional<TSettingError> Validate();
};

// The settings as the keys of a job file (the image block aside) and back.
// Relative paths are kept as written.  Reading names the first key that is
// missing or of the wrong kind, or the rule it breaks; it does not
// validate between settings.
QJsonObject Settings_Json(const TRunSettings& settings);
bool Read_Settings_Json(const QJsonObject& object, TRunSettings& settings, std::string& error);

} // namespace gang::session
