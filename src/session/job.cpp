#include "session/job.h"

#include "devices/device_rules.h"
#include "files/file_errors.h"
#include "files/image_map.h"
#include "link/families.h"
#include "platform/system_file.h"
#include "session/device_choice.h"
#include "session/image_file.h"
#include "session/json_number.h"
#include "session/run_record.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
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
                                  QLatin1String("report"),      QLatin1String("store"),
                                  QLatin1String("quantity")};

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
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

// The image block: the file the job programs, fixed by its SHA-256.
bool Read_Image_Block(const QJsonObject& object, TJob& job, std::string& error)
{
    const QJsonValue block = object["image"];
    if (!block.isObject()) {
        error = block.isUndefined() ? "\"image\" is missing" : "\"image\" wants an object";
        return false;
    }
    const QJsonObject image = block.toObject();
    for (const char* key : {"path", "format", "sha256"})
        if (!image[QLatin1String(key)].isString()) {
            error = "\"image." + std::string(key) + "\" " +
                    (image[QLatin1String(key)].isUndefined() ? "is missing" : "wants text");
            return false;
        }
    // A size is a whole number of bytes; a double holds each up to 2^53.
    const QJsonValue size = image["size"];
    constexpr double Largest_Size = 9007199254740992.0;
    if (!size.isDouble() || size.toDouble() < 0 || size.toDouble() > Largest_Size ||
        size.toDouble() != static_cast<double>(static_cast<int64_t>(size.toDouble()))) {
        error = size.isUndefined() ? "\"image.size\" is missing"
                                   : "\"image.size\" wants a whole number of bytes";
        return false;
    }
    job.Image_Path = image["path"].toString().toStdString();
    job.Image_Size = static_cast<int64_t>(size.toDouble());
    job.Image_Sha256 = image["sha256"].toString().toStdString();
    if (job.Image_Path.empty()) {
        error = "\"image.path\" is empty";
        return false;
    }
    if (const auto rule = job.Set(TSetting::Format, image["format"].toString().toStdString())) {
        error = Key_Error(*rule);
        return false;
    }
    job.Image_Format = Format_Name(*job.Format);
    if (!Is_Sha256(job.Image_Sha256)) {
        error = "\"image.sha256\" wants 64 lower-case hex digits";
        return false;
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
    // A job is a few hundred bytes: a large file is something else (an
    // image given for the job, say), not read whole.  A FIFO or a device is
    // refused before anything waits on it.
    constexpr std::size_t Max_Job_Bytes = std::size_t{1024} * 1024;
    std::string text;
    try {
        if (!Read_Small_File(path, Max_Job_Bytes, text)) {
            error = path + ": " + std::strerror(ENOENT);
            return false;
        }
    } catch (const ESystemError& e) {
        error = path + ": " +
                (e.Code == EFBIG ? std::string("not a job file: larger than 1 MiB")
                                 : System_Error_Text(e));
        return false;
    }
    return Parse_Job(text, path, job, error);
}

bool Parse_Job(const std::string& text, const std::string& path, TJob& job, std::string& error)
{
    const QByteArray bytes = QByteArray::fromStdString(text);
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
    if (Whole_Number(version, INT32_MIN, INT32_MAX) != Job_Version) {
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
    read.Sha256 = Sha256_Hex(bytes);
    std::optional<TSettingError> rule;
    if (!Read_Image_Block(object, read, error) || !Read_Settings_Json(object, read, error) ||
        (rule = read.Validate())) {
        error = path + ": " + (rule ? Key_Error(*rule) : error);
        return false;
    }
    job = std::move(read);
    return true;
}

std::string Job_Text(const TJob& job)
{
    QJsonObject object = Settings_Json(job);
    object["version"] = Job_Version;
    object["image"] = QJsonObject{{"path", Q(job.Image_Path)},
                                  {"format", Q(job.Image_Format)},
                                  {"size", static_cast<double>(job.Image_Size)},
                                  {"sha256", Q(job.Image_Sha256)}};
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
    return job.Serial && job.Serial->Pool.empty() ? Beside_Job(job, job.Serial->State_Path) : "";
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
                (!QFileInfo::exists(Q(path)) ? " is missing"
                 : !QFileInfo(Q(path)).isFile()
                     ? " is not a regular file (a FIFO, a device or a folder)"
                     : " cannot be read");
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
    } catch (const EFileError& e) {
        error = e.Line_Text();
        return false;
    }
    if (!image)
        return false;
    // The bytes read must be the bytes checked: the file hashed once more.
    const std::optional<TFileRecord> after = Describe_File(path, job.Image_Format);
    if (!after || after->Sha256 != job.Image_Sha256)
        return changed(after.value_or(TFileRecord{path, job.Image_Format, 0, "(unreadable)"}));

    buffer.End_Of_Eprom = job.Type->End_Of_Eprom();
    const TPlacement plan = Plan_Placement(*image, job.Placement.Offset, buffer.End_Of_Eprom);
    const int64_t outside = plan.Below_Count + plan.Beyond_Count;
    const std::string placed = " of " + path + " fall outside the " + job.Type->Type_Name +
                               " (offset " + Offset_Text(job.Placement.Offset) + ")";
    if (outside > 0 && !job.Placement.Allow_Truncate) {
        error = Count_Text(outside, "byte", "bytes") + placed;
        return false;
    }
    if (outside > 0)
        warnings.push_back(Count_Text(outside, "byte", "bytes") + placed + ", dropped");
    Place_Image(*image, job.Placement.Offset, buffer);
    return true;
}

bool Load_Job_Image(const TJob& job, TBuffer& buffer, std::string& error)
{
    std::vector<std::string> warnings;
    return Load_Job_Image(job, buffer, error, warnings);
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
    text += line("offset",
                 Offset_Text(job.Placement.Offset) +
                     (job.Placement.Allow_Truncate ? ", bytes outside the device dropped" : ""));
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
                               (serial.Pool.empty() ? ", kept in " + serial.State_Path
                                                    : ", from the line's pool " + serial.Pool));
    }
    text += line("lot", job.Lot.empty() ? "(named at the station)" : job.Lot);
    if (job.Quantity > 0)
        text += line("quantity", Count_Text(job.Quantity, "chip", "chips"));
    if (!job.Store.empty())
        text += line("store", job.Store);
    text += line("records", Job_Records_Path(job));
    text += "socket limit " +
            (job.Socket_Limit > 0 ? Count_Text(job.Socket_Limit, "insertion", "insertions")
                                  : std::string("none")) +
            "\n";
    return text;
}

} // namespace gang::session
