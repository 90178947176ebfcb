#include "session/socket_wear.h"

#include "platform/system_file.h"
#include "session/json_number.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>

namespace gang::session {

namespace {

constexpr int Wear_Version = 1;
constexpr const char* File_Prefix = "sockets-";
constexpr const char* File_Suffix = ".json";
constexpr std::size_t Max_Wear_Bytes = std::size_t{64} * 1024;

} // namespace

std::string Wear_Folder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    // The XDG rule: a relative XDG_STATE_HOME is to be ignored.
    QString base = state != nullptr && QDir::isAbsolutePath(QString::fromLocal8Bit(state))
                       ? QString::fromLocal8Bit(state)
                       : QDir::homePath() + "/.local/state";
    return (base + "/gang-adapter").toStdString();
}

std::string Wear_Path(const std::string& adapter)
{
    return Wear_Folder() + "/" + File_Prefix + adapter + File_Suffix;
}

std::vector<std::string> Worn_Adapters()
{
    const QDir folder(QString::fromStdString(Wear_Folder()));
    std::vector<std::string> adapters;
    const QString prefix = File_Prefix;
    const QString suffix = File_Suffix;
    for (const QString& name : folder.entryList({prefix + "*" + suffix}, QDir::Files, QDir::Name))
        adapters.push_back(
            name.mid(prefix.size(), name.size() - prefix.size() - suffix.size()).toStdString());
    return adapters;
}

bool Read_Wear(const std::string& adapter, TSocketWear& wear, std::string& error)
{
    wear = TSocketWear{adapter, {}};
    const std::string path = Wear_Path(adapter);
    std::string bytes;
    try {
        if (!Read_Small_File(path, Max_Wear_Bytes, bytes))
            return true;
    } catch (const ESystemError& e) {
        error = path + ": " + System_Error_Text(e);
        return false;
    }
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(bytes));
    const QJsonArray counts = document.object()["insertions"].toArray();
    if (!document.isObject() ||
        Whole_Number(document.object()["version"], 0, 1000) != Wear_Version ||
        counts.size() != static_cast<qsizetype>(wear.Insertions.size())) {
        error = path + ": not a socket wear file";
        return false;
    }
    for (std::size_t s = 0; s < wear.Insertions.size(); ++s) {
        const auto count = Whole_Number(counts[static_cast<qsizetype>(s)], 0,
                                        static_cast<int64_t>(Exact_Double_Limit));
        if (!count) {
            error = path + ": not a socket wear file";
            return false;
        }
        wear.Insertions[s] = *count;
    }
    return true;
}

std::optional<TFile_Lock> Lock_Wear(const std::string& adapter, std::string& error)
{
    const std::string folder = Wear_Folder();
    if (!QDir().mkpath(QString::fromStdString(folder))) {
        error = folder + ": the folder cannot be made";
        return std::nullopt;
    }
    const std::string lock = Wear_Path(adapter) + ".lock";
    try {
        return TFile_Lock::Take(lock);
    } catch (const ESystemError& e) {
        error = lock + ": " + System_Error_Text(e);
        return std::nullopt;
    }
}

bool Write_Wear(const TSocketWear& wear, std::string& error)
{
    const std::string folder = Wear_Folder();
    if (!QDir().mkpath(QString::fromStdString(folder))) {
        error = folder + ": the folder cannot be made";
        return false;
    }
    QJsonArray counts;
    for (int64_t count : wear.Insertions)
        counts.append(static_cast<double>(count));
    const QJsonObject object{{"version", Wear_Version},
                             {"adapter", QString::fromStdString(wear.Adapter)},
                             {"insertions", counts}};
    const std::string path = Wear_Path(wear.Adapter);
    if (Replace_Durably(path, QJsonDocument(object).toJson().toStdString(), error))
        return true;
    error = path + ": " + error;
    return false;
}

bool Count_Insertions(const std::string& adapter, int gang, TSocketWear& wear, std::string& error)
{
    const std::optional<TFile_Lock> lock = Lock_Wear(adapter, error);
    if (!lock || !Read_Wear(adapter, wear, error))
        return false;
    for (int s = 1; s <= gang && s <= static_cast<int>(wear.Insertions.size()); ++s)
        ++wear.Insertions[static_cast<std::size_t>(s - 1)];
    return Write_Wear(wear, error);
}

std::vector<std::string> Wear_Warnings(const TSocketWear& wear, int gang, int limit)
{
    std::vector<std::string> warnings;
    if (limit <= 0)
        return warnings;
    for (int s = 1; s <= gang && s <= static_cast<int>(wear.Insertions.size()); ++s) {
        const int64_t count = wear.Insertions[static_cast<std::size_t>(s - 1)];
        if (count > limit)
            warnings.push_back("socket " + std::to_string(s) + ": " + std::to_string(count) +
                               " insertions, limit " + std::to_string(limit) +
                               ": change the socket");
    }
    return warnings;
}

std::string Reset_Record_Line(const std::string& adapter, int socket, int64_t insertions)
{
    const QJsonObject object{{"event", "socket_reset"},
                             {"socket", socket},
                             {"insertions", static_cast<double>(insertions)},
                             {"adapter", QString::fromStdString(adapter)},
                             {"time", QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace gang::session
