#include "session/job.h"

#include "devices/device_rules.h"
#include "files/file_errors.h"
#include "files/image_map.h"
#include "link/families.h"
#include "session/device_choice.h"
#include "session/image_file.h"
#include "session/run_record.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <cctype>
#include <utility>

namespace gang::session {

namespace {

constexpr int Job_Version = 1;

// Every key of a version 1 job (Job_Text writes them all; "serial" only when
// the job has one).
const QLatin1String Job_Keys[] = {QLatin1String("version"),     QLatin1String("image"),
                                  QLatin1String("offset"),      QLatin1String("allow_truncate"),
                                  QLatin1String("type"),        QLatin1String("gang"),
                                  QLatin1String("voltage"),     QLatin1String("sdp"),
                                  QLatin1String("blank_first"), QLatin1String("verify"),
                                  QLatin1String("diagnose"),    QLatin1String("serial"),
                                  QLatin1String("lot"),         QLatin1String("socket_limit"),
                                  QLatin1String("report")};

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string Sha256_Of(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

bool Is_Sha256(const std::string& text)
{
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// A path of the job (image, records, serial state) as the station opens it.
std::string Beside_Job(const TJob& job, const std::string& path)
{
    if (QDir::isAbsolutePath(Q(path)))
        return path;
    return QDir::cleanPath(QFileInfo(Q(job.Path)).dir().filePath(Q(path))).toStdString();
}

// Reads the settings of one object, naming the first key that is missing or
// of the wrong kind.
class TReader {
public:
    TReader(const QJsonObject& object, std::string prefix)
        : Object(object), Prefix(std::move(prefix))
    {
    }

    bool String(const char* key, std::string& value, bool required = true)
    {
        const QJsonValue field = Object[key];
        if (field.isUndefined() && !required)
            return true;
        if (!field.isString())
            return Wrong(key, "text");
        value = field.toString().toStdString();
        return true;
    }
    bool Bool(const char* key, bool& value, bool required = true)
    {
        const QJsonValue field = Object[key];
        if (field.isUndefined() && !required)
            return true;
        if (!field.isBool())
            return Wrong(key, "true or false");
        value = field.toBool();
        return true;
    }
    // A whole number from low to high.
    template <typename T>
    bool Number(const char* key, T& value, double low, double high, bool required = true)
    {
        const QJsonValue field = Object[key];
        if (field.isUndefined() && !required)
            return true;
        const double number = field.toDouble(-1e300);
        if (!field.isDouble() || number != static_cast<double>(static_cast<int64_t>(number)) ||
            number < low || number > high)
            return Wrong(key, "a whole number from " + std::to_string(static_cast<int64_t>(low)) +
                                  " to " + std::to_string(static_cast<int64_t>(high)));
        value = static_cast<T>(number);
        return true;
    }
    // The key held a value the job cannot use.
    bool Bad(const char* key, const std::string& why)
    {
        Error = "\"" + Prefix + key + "\" " + why;
        return false;
    }

    std::string Error;

private:
    bool Wrong(const char* key, const std::string& kind)
    {
        return Bad(key, Object[key].isUndefined() ? "is missing" : "wants " + kind);
    }

    const QJsonObject& Object;
    std::string Prefix;
};

template <typename T, std::size_t N>
const char* Name_In(const std::pair<T, const char*> (&table)[N], T value)
{
    for (const auto& [known, name] : table)
        if (known == value)
            return name;
    return "";
}

template <typename T, std::size_t N>
std::optional<T> Value_In(const std::pair<T, const char*> (&table)[N], const std::string& name)
{
    for (const auto& [known, text] : table)
        if (name == text)
            return known;
    return std::nullopt;
}

bool Read_Serial(const QJsonObject& object, TSerialSettings& serial, std::string& error)
{
    TReader read(object, "serial.");
    std::string at;
    std::string format;
    std::string failed;
    if (!read.String("at", at) || !read.Number("size", serial.Size, 1, 8) ||
        !read.String("format", format) ||
        !read.Number("start", serial.Start, 0, 9007199254740992.0) ||
        !read.Number("step", serial.Step, 1, 9007199254740992.0) ||
        !read.String("state", serial.State_Path) || !read.String("failed", failed)) {
        error = read.Error;
        return false;
    }
    const std::optional<int64_t> address = Offset_Of(at);
    if (!address || *address < 0 || *address > 0xFFFF) {
        error = "\"serial.at\" wants a hex address, not '" + at + "'";
        return false;
    }
    serial.At = static_cast<int32_t>(*address);
    const auto known_format = Serial_Format_Of(format);
    if (!known_format) {
        error = "\"serial.format\" wants le, be, bcd, dec or hex, not '" + format + "'";
        return false;
    }
    serial.Format = *known_format;
    const auto known_failed = Serial_Failed_Of(failed);
    if (!known_failed) {
        error = "\"serial.failed\" wants skip or reuse, not '" + failed + "'";
        return false;
    }
    serial.Failed = *known_failed;
    return true;
}

bool Read_Settings(const QJsonObject& object, TJob& job, std::string& error)
{
    TReader read(object, "");
    if (!object["image"].isObject()) {
        read.Bad("image", object["image"].isUndefined() ? "is missing" : "wants an object");
        error = read.Error;
        return false;
    }
    const QJsonObject image_object = object["image"].toObject();
    TReader image(image_object, "image.");
    if (!image.String("path", job.Image_Path) || !image.String("format", job.Image_Format) ||
        !image.Number("size", job.Image_Size, 0, 9007199254740992.0) ||
        !image.String("sha256", job.Image_Sha256)) {
        error = image.Error;
        return false;
    }
    if (job.Image_Path.empty()) {
        error = "\"image.path\" is empty";
        return false;
    }
    if (!Format_From_Name(job.Image_Format)) {
        error =
            "\"image.format\" wants bin, intel, motorola or ascii, not '" + job.Image_Format + "'";
        return false;
    }
    job.Image_Format = Format_Name(*Format_From_Name(job.Image_Format));
    if (!Is_Sha256(job.Image_Sha256)) {
        error = "\"image.sha256\" wants 64 lower-case hex digits";
        return false;
    }

    std::string offset = "0";
    std::string type;
    std::string voltage;
    std::string sdp;
    if (!read.String("offset", offset, false) ||
        !read.Bool("allow_truncate", job.Allow_Truncate, false) || !read.String("type", type) ||
        !read.Number("gang", job.Gang, 1, Max_Gang_Size) || !read.String("voltage", voltage) ||
        !read.String("sdp", sdp) || !read.Bool("blank_first", job.Blank_First) ||
        !read.Bool("verify", job.Verify) || !read.Bool("diagnose", job.Diagnose) ||
        !read.String("lot", job.Lot, false) ||
        !read.Number("socket_limit", job.Socket_Limit, 0, 2147483647.0, false) ||
        !read.String("report", job.Report, false)) {
        error = read.Error;
        return false;
    }
    const std::optional<int64_t> offset_value = Offset_Of(offset);
    if (!offset_value || *offset_value < INT32_MIN || *offset_value > INT32_MAX) {
        error = "\"offset\" wants a hex address, - in front to move down, not '" + offset + "'";
        return false;
    }
    job.Offset = static_cast<int32_t>(*offset_value);
    job.Type = Find_Type(type);
    if (job.Type == nullptr) {
        error = "\"type\": unknown device type '" + type + "'";
        return false;
    }
    job.Vpp_Code = Vpp_Code_Of(voltage);
    const std::vector<int32_t> allowed = Allowed_Vpp_Codes(*job.Type);
    if (std::find(allowed.begin(), allowed.end(), job.Vpp_Code) == allowed.end()) {
        error = "\"voltage\": " + voltage + " V is not a voltage of the " + job.Type->Type_Name;
        return false;
    }
    const std::optional<TSdp_Mode> mode = Sdp_Mode_Of(sdp);
    if (!mode) {
        error = "\"sdp\" wants unlock, keep or lock, not '" + sdp + "'";
        return false;
    }
    job.Sdp = *mode;
    job.Serial.reset();
    if (!object["serial"].isUndefined()) {
        if (!object["serial"].isObject()) {
            error = "\"serial\" wants an object";
            return false;
        }
        TSerialSettings serial;
        if (!Read_Serial(object["serial"].toObject(), serial, error))
            return false;
        if (serial.At + serial.Size - 1 > job.Type->End_Of_Eprom()) {
            error = "\"serial\": its bytes reach beyond the " + std::string(job.Type->Type_Name);
            return false;
        }
        if (serial.Start > Largest_Serial(serial.Format, serial.Size)) {
            error = "\"serial\": " + Serial_Too_Large(serial.Start, serial.Format, serial.Size);
            return false;
        }
        job.Serial = serial;
    }
    return true;
}

std::string Count_Text(int64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

bool Read_Job(const std::string& path, TJob& job, std::string& error)
{
    QFile file(Q(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = path + ": " + file.errorString().toStdString();
        return false;
    }
    // A job is a few hundred bytes: a large file is something else (an
    // image given for the job, say), not read whole.
    constexpr qint64 Max_Job_Bytes = qint64{1024} * 1024;
    if (file.size() > Max_Job_Bytes) {
        error = path + ": not a job file: " + std::to_string(file.size()) + " bytes";
        return false;
    }
    const QByteArray bytes = file.readAll();
    QJsonParseError parse_error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parse_error);
    if (document.isNull()) {
        error = path + ": not a job file: " + parse_error.errorString().toStdString();
        return false;
    }
    if (!document.isObject()) {
        error = path + ": not a job file: not one JSON object";
        return false;
    }
    const QJsonObject object = document.object();
    const QJsonValue version = object["version"];
    if (!version.isDouble()) {
        error = path + ": not a job file: it has no \"version\"";
        return false;
    }
    if (version.toDouble() != Job_Version) {
        error = path + ": job version " + QString::number(version.toDouble()).toStdString() +
                " is not known to this program (it reads version " + std::to_string(Job_Version) +
                ")";
        return false;
    }
    // A misspelt setting would otherwise be left out of the work unseen.
    for (auto key = object.begin(); key != object.end(); ++key)
        if (std::find(std::begin(Job_Keys), std::end(Job_Keys), key.key()) == std::end(Job_Keys)) {
            error = path + ": \"" + key.key().toStdString() + "\" is not a job setting";
            return false;
        }
    TJob read;
    read.Version = Job_Version;
    read.Path = path;
    read.Sha256 = Sha256_Of(bytes);
    if (!Read_Settings(object, read, error)) {
        error = path + ": " + error;
        return false;
    }
    job = std::move(read);
    return true;
}

std::string Job_Text(const TJob& job)
{
    QJsonObject object;
    object["version"] = Job_Version;
    object["image"] = QJsonObject{{"path", Q(job.Image_Path)},
                                  {"format", Q(job.Image_Format)},
                                  {"size", static_cast<double>(job.Image_Size)},
                                  {"sha256", Q(job.Image_Sha256)}};
    object["offset"] = Q(Offset_Text(job.Offset));
    object["allow_truncate"] = job.Allow_Truncate;
    object["type"] = job.Type != nullptr ? job.Type->Type_Name : "";
    object["gang"] = job.Gang;
    object["voltage"] = Q(Vpp_Text(job.Vpp_Code));
    object["sdp"] = Sdp_Mode_Name(job.Sdp);
    object["blank_first"] = job.Blank_First;
    object["verify"] = job.Verify;
    object["diagnose"] = job.Diagnose;
    if (job.Serial) {
        const TSerialSettings& serial = *job.Serial;
        object["serial"] = QJsonObject{{"at", Q(Offset_Text(serial.At))},
                                       {"size", serial.Size},
                                       {"format", Serial_Format_Name(serial.Format)},
                                       {"start", static_cast<double>(serial.Start)},
                                       {"step", static_cast<double>(serial.Step)},
                                       {"state", Q(serial.State_Path)},
                                       {"failed", Serial_Failed_Name(serial.Failed)}};
    }
    object["lot"] = Q(job.Lot);
    object["socket_limit"] = job.Socket_Limit;
    object["report"] = Q(job.Report);
    return QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
}

std::string Job_Image_Path(const TJob& job)
{
    return Beside_Job(job, job.Image_Path);
}

std::string Job_Records_Path(const TJob& job)
{
    if (!job.Report.empty())
        return Beside_Job(job, job.Report);
    const QFileInfo info(Q(job.Path));
    return QDir::cleanPath(info.dir().filePath(info.completeBaseName() + ".jsonl")).toStdString();
}

std::string Job_Serial_State_Path(const TJob& job)
{
    return job.Serial ? Beside_Job(job, job.Serial->State_Path) : "";
}

std::string Job_Path_From(const std::string& job_path, const std::string& path)
{
    if (QDir::isAbsolutePath(Q(path)))
        return path;
    const QDir folder = QFileInfo(Q(job_path)).absoluteDir();
    return folder.relativeFilePath(QFileInfo(Q(path)).absoluteFilePath()).toStdString();
}

bool Load_Job_Image(const TJob& job, TBuffer& buffer, std::string& error,
                    std::vector<std::string>& warnings)
{
    const std::string path = Job_Image_Path(job);
    const std::optional<TFileType> format = Format_From_Name(job.Image_Format);
    if (job.Type == nullptr || !format) {
        error = job.Path + ": the job names no device type or image format";
        return false;
    }
    const std::optional<TFileRecord> before = Describe_File(path, job.Image_Format);
    if (!before) {
        error = job.Path + ": the job's image " + path +
                (QFileInfo::exists(Q(path)) ? " cannot be read" : " is missing");
        return false;
    }
    const auto changed = [&](const TFileRecord& now) {
        error = "the image changed since the job was made: " + path + " has SHA-256 " + now.Sha256 +
                ", the job has " + job.Image_Sha256;
        return false;
    };
    if (before->Sha256 != job.Image_Sha256)
        return changed(*before);
    std::optional<TImageMap> image;
    try {
        image = Read_Image(path, *format, error);
    } catch (const EInOutError& e) {
        error = path + ": " + Error_Box_Text(e.Message());
        return false;
    } catch (const EConvertError& e) {
        error = path + ": " + Error_Box_Text(e.Message());
        return false;
    }
    if (!image)
        return false;
    // The bytes read must be the bytes checked: the file hashed once more.
    const std::optional<TFileRecord> after = Describe_File(path, job.Image_Format);
    if (!after || after->Sha256 != job.Image_Sha256)
        return changed(after.value_or(TFileRecord{path, job.Image_Format, 0, "(unreadable)"}));

    buffer.End_Of_Eprom = job.Type->End_Of_Eprom();
    const TPlacement plan = Plan_Placement(*image, job.Offset, buffer.End_Of_Eprom);
    const int64_t outside = plan.Below_Count + plan.Beyond_Count;
    const std::string placed = " of " + path + " fall outside the " + job.Type->Type_Name +
                               " (offset " + Offset_Text(job.Offset) + ")";
    if (outside > 0 && !job.Allow_Truncate) {
        error = Count_Text(outside, "byte", "bytes") + placed;
        return false;
    }
    if (outside > 0)
        warnings.push_back(Count_Text(outside, "byte", "bytes") + placed + ", dropped");
    Place_Image(*image, job.Offset, buffer);
    return true;
}

bool Load_Job_Image(const TJob& job, TBuffer& buffer, std::string& error)
{
    std::vector<std::string> warnings;
    return Load_Job_Image(job, buffer, error, warnings);
}

std::vector<TStep> Job_Steps(const TJob& job)
{
    return Program_Steps(job.Blank_First, job.Verify);
}

TRunRecord Job_Record_Template(const TJob& job, const TBuffer& buffer, const std::string& lot,
                               const std::string& front_end)
{
    TRunRecord record;
    record.Lot = job.Lot.empty() ? lot : job.Lot;
    record.Front_End = front_end;
    record.Job_Path = job.Path;
    record.Job_Sha256 = job.Sha256;
    record.Command = "program";
    if (job.Type != nullptr) {
        record.Type = job.Type->Type_Name;
        const TFamily* family = Family_Row(job.Type->Family);
        if (family != nullptr && family->Unlock != nullptr)
            record.Sdp = Sdp_Mode_Name(job.Sdp);
    }
    record.Gang = job.Gang;
    record.Voltage = Vpp_Text(job.Vpp_Code);
    record.File =
        TFileRecord{Job_Image_Path(job), job.Image_Format, job.Image_Size, job.Image_Sha256};
    record.Checksum = Buffer_Check_Sum(buffer, 0, buffer.End_Of_Eprom);
    return record;
}

std::string Job_Description(const TJob& job)
{
    const auto line = [](const char* name, const std::string& value) {
        std::string text = name;
        text.resize(std::max<std::size_t>(text.size() + 1, 10), ' ');
        return text + value + "\n";
    };
    std::string text;
    text += line("job", job.Path + " (version " + std::to_string(job.Version) + ")");
    text += line("type", job.Type != nullptr ? job.Type->Type_Name : "?");
    text += line("gang", std::to_string(job.Gang) + (job.Gang == 1 ? " socket" : " sockets"));
    text += line("image", job.Image_Path + " (" + job.Image_Format + ", " +
                              Count_Text(job.Image_Size, "byte", "bytes") + ", sha256 " +
                              job.Image_Sha256 + ")");
    text += line("offset", Offset_Text(job.Offset) +
                               (job.Allow_Truncate ? ", bytes outside the device dropped" : ""));
    text += line("voltage", Vpp_Text(job.Vpp_Code) + " V");
    const TFamily* family = job.Type != nullptr ? Family_Row(job.Type->Family) : nullptr;
    if (family != nullptr && family->Unlock != nullptr)
        text += line("sdp", Sdp_Mode_Name(job.Sdp));
    std::string steps = job.Blank_First ? "blank check, program" : "program";
    if (job.Verify)
        steps += ", verify";
    if (job.Diagnose)
        steps += ", diagnose failed sockets";
    text += line("steps", steps);
    if (job.Serial) {
        const TSerialSettings& serial = *job.Serial;
        text +=
            line("serial", Count_Text(serial.Size, "byte", "bytes") + " " +
                               Serial_Format_Name(serial.Format) + " at " + Offset_Text(serial.At) +
                               ", from " + std::to_string(serial.Start) + " step " +
                               std::to_string(serial.Step) +
                               ", a failed chip's serial: " + Serial_Failed_Name(serial.Failed) +
                               ", kept in " + serial.State_Path);
    }
    text += line("lot", job.Lot.empty() ? "(named at the station)" : job.Lot);
    text += line("records", Job_Records_Path(job));
    text += "socket limit " +
            (job.Socket_Limit > 0 ? Count_Text(job.Socket_Limit, "insertion", "insertions")
                                  : std::string("none")) +
            "\n";
    return text;
}

} // namespace gang::session
