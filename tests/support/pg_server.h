// A PostgreSQL server of a test's (or a bench's) own: initdb into a
// temporary folder, pg_ctl start with only a Unix socket in that folder
// (listen_addresses=''), as the unprivileged `postgres` user when run as
// root (runuser), stopped and removed at the end.  No TCP port, nothing
// shared with another server on the machine.
#pragma once

#include <string>
#include <vector>

namespace gang::test {

class TPg_Server {
public:
    TPg_Server() = default;
    ~TPg_Server(); // stopped at once and its folder removed
    TPg_Server(const TPg_Server&) = delete;
    TPg_Server& operator=(const TPg_Server&) = delete;

    // The first Start makes the folder and the cluster (superuser "gang",
    // trust over the socket) and a database "line"; a later one starts the
    // same cluster again.  durable: fsync on (a bench's figures); the tests
    // run without it.  False with what went wrong (the server's log too).
    bool Start(std::string& error, bool durable = false, int max_connections = 40);
    // pg_ctl stop: "immediate" (as a crash or a pulled plug) or "fast".
    bool Stop(const std::string& mode, std::string& error);
    bool Running() const { return Up; }

    // postgresql://gang@/DATABASE?host=FOLDER
    std::string Url(const std::string& database = "line") const;
    // A database more (createdb).
    bool Create_Database(const std::string& name, std::string& error) const;
    // SQL run through psql as the superuser; its output (unaligned, no
    // header) in out.
    bool Psql(const std::string& sql, std::string& out, std::string& error,
              const std::string& database = "line") const;
    const std::string& Folder() const { return Dir; }

private:
    bool Run(const std::string& program, const std::vector<std::string>& arguments, bool as_owner,
             std::string& out, std::string& error) const;
    std::string Dir;
    std::string Bin;
    bool Up = false;
};

} // namespace gang::test
