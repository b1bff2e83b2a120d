#pragma once
// A throwaway PostgreSQL server for tests: a new cluster in a temporary directory, listening on
// 127.0.0.1 at a free port with its socket in that directory, run by an unprivileged user (the
// package's "postgres" user when the tests run as root). Removed when the object goes.

#include <filesystem>
#include <string>
#include <vector>

namespace kova::test {

class PostgresServer {
  public:
    PostgresServer();  // initdb and start; see running() and failure()
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    bool running() const { return running_; }
    // Why the server is not running ("" while it is).
    const std::string& failure() const { return failure_; }

    bool stop();
    bool start();

    int port() const { return port_; }
    // "postgresql://kova@127.0.0.1:PORT/NAME" (trust authentication, no password).
    std::string url(const std::string& database) const;
    // A new empty database; false with failure() when it could not be made.
    bool createDatabase(const std::string& name);
    // Runs SQL with psql: its exit status and the rows as "a|b" lines.
    struct Result {
        int status = -1;
        std::string output;
    };
    Result sql(const std::string& database, const std::string& statements) const;

    // The server of this test program, started at the first call and stopped at its end.
    static PostgresServer& shared();

  private:
    std::string run(const std::string& tool, const std::vector<std::string>& args, bool asOwner);

    std::filesystem::path bin_;
    std::filesystem::path dir_;
    int port_ = 0;
    bool running_ = false;
    bool asPostgresUser_ = false;
    std::string failure_;
};

}  // namespace kova::test
