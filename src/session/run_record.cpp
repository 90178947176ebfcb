#include "session/run_record.h"

#include "session/version.h"

#include "core/hex_text.h"
#include "platform/system_file.h"
#include "texts/diagnosis_text.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>

#include <utility>
#include <vector>

namespace gang::session {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QString Utc_Text(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

constexpr std::pair<TResult_Kind, const char*> Kind_Keys[] = {
    {TResult_Kind::Passed, "passed"},
    {TResult_Kind::Not_Blank, "not_blank"},
    {TResult_Kind::Not_Programmed, "not_programmed"},
    {TResult_Kind::Not_Verified, "not_verified"},
    {TResult_Kind::Stopped, "stopped"},
};

// "diagnosis": the findings as data, and the lines the user read.
QJsonObject Diagnosis_Object(const TDiagnosis& diagnosis)
{
    QJsonObject object;
    object["differences"] = static_cast<qint64>(diagnosis.Differences);
    QJsonArray first;
    for (const TByte_Difference& difference : diagnosis.First)
        first.append(QJsonObject{{"address", Q(IntToHex(difference.Address, 4))},
                                 {"expected", Q(IntToHex(difference.Expected, 2))},
                                 {"actual", Q(IntToHex(difference.Actual, 2))}});
    object["first"] = first;
    QJsonArray bits;
    for (const TStuck_Data_Bit& bit : diagnosis.Bits)
        bits.append(QJsonObject{
            {"bit", bit.Bit}, {"stuck_at", bit.Level}, {"count", static_cast<qint64>(bit.Count)}});
    object["bits"] = bits;
    if (diagnosis.Address_Line)
        object["address_line"] = QJsonObject{{"line", diagnosis.Address_Line->Line},
                                             {"stuck_at", diagnosis.Address_Line->Level}};
    if (diagnosis.No_Byte_Took)
        object["no_byte_took"] = true;
    QJsonArray text;
    for (const std::string& line : Diagnosis_Lines(diagnosis))
        text.append(Q(line));
    object["text"] = text;
    return object;
}

} // namespace

const char* Result_Kind_Key(TResult_Kind kind)
{
    for (const auto& [known, key] : Kind_Keys)
        if (known == kind)
            return key;
    return "";
}

std::optional<TResult_Kind> Result_Kind_Of_Key(const std::string& key)
{
    for (const auto& [kind, known] : Kind_Keys)
        if (key == known)
            return kind;
    return std::nullopt;
}

std::string Sha256_Hex(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

std::string Sha256_Hex(const std::vector<uint8_t>& bytes)
{
    return Sha256_Hex(QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size())));
}

std::optional<TFileRecord> Describe_File(const std::string& path, const std::string& format)
{
    // Opened without waiting: a FIFO or a device is no file to describe.
    try {
        TSystemFile file = TSystemFile::Open_For_Reading(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        std::vector<char> block(std::size_t{64} * 1024);
        int64_t size = 0;
        for (std::size_t got; (got = file.Read(block.data(), block.size())) > 0;) {
            hash.addData(QByteArrayView(block.data(), static_cast<qsizetype>(got)));
            size += static_cast<int64_t>(got);
        }
        file.Close();
        return TFileRecord{path, format, size, hash.result().toHex().toStdString()};
    } catch (const ESystemError&) {
        return std::nullopt;
    }
}

std::string Record_Line(const TRunRecord& record)
{
    QJsonObject object;
    if (!record.Lot.empty()) {
        object["lot"] = Q(record.Lot);
        object["sequence"] = record.Sequence;
    }
    if (!record.Run_Id.empty()) {
        object["run_id"] = Q(record.Run_Id);
        object["station"] = Q(record.Station);
    }
    object["front_end"] = Q(record.Front_End);
    if (!record.Job_Path.empty())
        object["job"] = QJsonObject{{"path", Q(record.Job_Path)}, {"sha256", Q(record.Job_Sha256)}};
    object["start"] = Utc_Text(record.Start);
    object["end"] = Utc_Text(record.End);
    object["host"] = QSysInfo::machineHostName();
    object["version"] = Program_Version();
    object["command"] = Q(record.Command);
    object["adapter"] = Q(record.Adapter);
    object["type"] = Q(record.Type);
    object["gang"] = record.Gang;
    object["voltage"] = Q(record.Voltage);
    if (!record.Sdp.empty())
        object["sdp"] = Q(record.Sdp);
    if (record.File) {
        QJsonObject file{{"path", Q(record.File->Path)},
                         {"format", Q(record.File->Format)},
                         {"size", static_cast<qint64>(record.File->Size)},
                         {"sha256", Q(record.File->Sha256)}};
        if (record.File->Checksums_Ignored)
            file["checksums"] = "ignored";
        object["file"] = file;
    }
    if (record.Checksum)
        object["checksum"] = Q(IntToHex(*record.Checksum, 4));
    if (record.Serial) {
        QJsonObject serial{{"at", Q(IntToHex(record.Serial->At, 4))},
                           {"size", record.Serial->Size},
                           {"format", Q(record.Serial->Format)},
                           {"first", QString::number(record.Serial->First)},
                           {"last", QString::number(record.Serial->Last)}};
        if (!record.Serial->Pool.empty()) {
            serial["pool"] = Q(record.Serial->Pool);
            serial["failed"] = Q(record.Serial->Failed);
        }
        object["serial"] = serial;
    }
    QJsonArray steps;
    for (const TStepRecord& step : record.Steps)
        steps.append(QJsonObject{{"step", Q(step.Step)}, {"seconds", step.Seconds}});
    object["steps"] = steps;
    QJsonArray sockets;
    for (const TSocketRecord& socket : record.Sockets) {
        QJsonObject entry{
            {"socket", socket.Socket}, {"passed", socket.Passed}, {"result", Q(socket.Result)}};
        entry["kind"] =
            Result_Kind_Key(socket.Failure ? socket.Failure->Kind : TResult_Kind::Passed);
        if (socket.Failure && socket.Failure->Address >= 0) {
            entry["address"] = Q(IntToHex(socket.Failure->Address, 4));
            entry["expected"] = Q(IntToHex(socket.Failure->Expected, 2));
            entry["actual"] = Q(IntToHex(socket.Failure->Actual, 2));
        }
        if (socket.Diagnosis)
            entry["diagnosis"] = Diagnosis_Object(*socket.Diagnosis);
        if (socket.Serial)
            // Decimal text: a JSON number loses the digits of a serial
            // beyond 2^53.
            entry["serial"] = QString::number(*socket.Serial);
        if (socket.Checksum)
            entry["checksum"] = Q(IntToHex(*socket.Checksum, 4));
        sockets.append(entry);
    }
    object["sockets"] = sockets;
    object["stopped"] = record.Stopped;
    object["exit"] = record.Exit_Status;
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace gang::session
