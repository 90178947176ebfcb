#include "support/pg_server.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cstdlib>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gang::test {

namespace {

// The server's programs: PostgreSQL 15's first, else any version's.
std::string Find_Bin()
{
    if (QFile::exists("/usr/lib/postgresql/15/bin/initdb"))
        return "/usr/lib/postgresql/15/bin";
    const QDir versions("/usr/lib/postgresql");
    for (const QString& version : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFile::exists(versions.filePath(version + "/bin/initdb")))
            return versions.filePath(version + "/bin").toStdString();
    return "";
}

bool Is_Root()
{
    return ::geteuid() == 0;
}

} // namespace

TPg_Server::~TPg_Server()
{
    std::string error;
    if (Up)
        Stop("immediate", error);
    if (!Dir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }
}

bool TPg_Server::Run(const std::string& program, const std::vector<std::string>& arguments,
                     bool as_owner, std::string& out, std::string& error) const
{
    QStringList list;
    QString command = QString::fromStdString(Bin + "/" + program);
    if (as_owner && Is_Root()) {
        // The server refuses to run as root: its own user, as the package made it.
        list << "-u"
             << "postgres"
             << "--" << command;
        command = "runuser";
    }
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(Dir));
    process.start(command, list);
    if (!process.waitForFinished(120000)) {
        error = program + " did not end";
        process.kill();
        process.waitForFinished();
        return false;
    }
    out = process.readAllStandardOutput().toStdString();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        error = program + " failed: " + process.readAllStandardError().toStdString() + out;
        return false;
    }
    return true;
}

bool TPg_Server::Start(std::string& error, bool durable, int max_connections)
{
    std::string out;
    if (Dir.empty()) {
        Bin = Find_Bin();
        if (Bin.empty()) {
            error = "no PostgreSQL server here (Debian: apt install postgresql-15)";
            return false;
        }
        char name[] = "/tmp/gang-pg-XXXXXX";
        if (::mkdtemp(name) == nullptr) {
            error = "no temporary folder";
            return false;
        }
        Dir = name;
        // The socket's folder open to every client: a program that dropped
        // its capabilities (gang-adapter-cli does, even as root) reaches it
        // as anyone would.
        ::chmod(Dir.c_str(), 0755);
        if (Is_Root()) {
            const passwd* user = ::getpwnam("postgres");
            if (user == nullptr || ::chown(Dir.c_str(), user->pw_uid, user->pw_gid) != 0) {
                error = "no postgres user to run the server as";
                return false;
            }
        }
        if (!Run("initdb",
                 {"-D", Dir + "/data", "-A", "trust", "-U", "gang", "-E", "UTF8", "--locale=C",
                  "--no-sync", "--no-instructions"},
                 true, out, error))
            return false;
    }
    std::string options = "-c listen_addresses='' -c unix_socket_directories='" + Dir +
                          "' -c max_connections=" + std::to_string(max_connections) +
                          " -c shared_buffers=32MB";
    if (!durable)
        // No flush to the disk (the machine does not crash under a test);
        // a commit still reaches the WAL before it returns, so an immediate
        // stop loses nothing committed.
        options += " -c fsync=off -c full_page_writes=off";
    if (!Run("pg_ctl",
             {"-D", Dir + "/data", "-l", Dir + "/server.log", "-w", "-t", "60", "-o", options,
              "start"},
             true, out, error)) {
        QFile log(QString::fromStdString(Dir + "/server.log"));
        if (log.open(QIODevice::ReadOnly))
            error += "\n" + log.readAll().toStdString();
        return false;
    }
    Up = true;
    if (!std::filesystem::exists(Dir + "/.created")) {
        if (!Create_Database("line", error))
            return false;
        QFile(QString::fromStdString(Dir + "/.created")).open(QIODevice::WriteOnly);
    }
    return true;
}

bool TPg_Server::Stop(const std::string& mode, std::string& error)
{
    std::string out;
    if (!Run("pg_ctl", {"-D", Dir + "/data", "-m", mode, "-w", "-t", "60", "stop"}, true, out,
             error))
        return false;
    Up = false;
    return true;
}

std::string TPg_Server::Url(const std::string& database) const
{
    return "postgresql://gang@/" + database + "?host=" + Dir;
}

bool TPg_Server::Create_Database(const std::string& name, std::string& error) const
{
    std::string out;
    return Run("createdb", {"-h", Dir, "-U", "gang", name}, false, out, error);
}

bool TPg_Server::Psql(const std::string& sql, std::string& out, std::string& error,
                      const std::string& database) const
{
    return Run("psql",
               {"-h", Dir, "-U", "gang", "-d", database, "-X", "-A", "-t", "-q", "-v",
                "ON_ERROR_STOP=1", "-c", sql},
               false, out, error);
}

} // namespace gang::test
