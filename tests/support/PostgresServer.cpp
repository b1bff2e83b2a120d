#include "PostgresServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>
#include <vector>

#include "ChildProcess.h"

namespace fs = std::filesystem;

namespace kova::test {
namespace {

constexpr const char* kSuperUser = "kova";

// Debian's server binaries, the newest version installed.
fs::path serverBinaries() {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        if (fs::exists(entry.path() / "bin" / "initdb")) {
            found.push_back(entry.path() / "bin");
        }
    }
    std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        return std::stoi(a.parent_path().filename().string()) <
               std::stoi(b.parent_path().filename().string());
    });
    return found.empty() ? fs::path() : found.back();
}

// A port nobody listens on now; the kernel hands it out, so tests running at once differ.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return port;
}

const char* runUser() {
    return fs::exists("/usr/sbin/runuser") ? "/usr/sbin/runuser" : "/sbin/runuser";
}

class SharedServerEnvironment : public ::testing::Environment {
  public:
    std::unique_ptr<PostgresServer> server;
    void TearDown() override { server.reset(); }
};

SharedServerEnvironment* sharedEnvironment() {
    // Owned by GoogleTest, which tears it down after the last test, failed or not.
    static auto* environment = static_cast<SharedServerEnvironment*>(
        ::testing::AddGlobalTestEnvironment(new SharedServerEnvironment));
    return environment;
}

// Registered before the tests run, so that its tear-down follows the last of them.
[[maybe_unused]] const SharedServerEnvironment* const kRegistered = sharedEnvironment();

}  // namespace

std::string PostgresServer::run(const std::string& tool, const std::vector<std::string>& args,
                                bool asOwner) {
    std::vector<std::string> full;
    std::string program = (bin_ / tool).string();
    if (asOwner && asPostgresUser_) {
        full = {"-u", "postgres", "--", program};
        program = runUser();
    }
    full.insert(full.end(), args.begin(), args.end());
    const Outcome outcome = runProgram(program, full, true);
    return outcome.status == 0
               ? std::string()
               : tool + " failed (" + std::to_string(outcome.status) + "): " + outcome.output;
}

PostgresServer::PostgresServer() {
    bin_ = serverBinaries();
    if (bin_.empty()) {
        failure_ = "no PostgreSQL server under /usr/lib/postgresql (scripts/bootstrap installs it)";
        return;
    }
    std::string pattern = (fs::temp_directory_path() / "kova-pg-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        failure_ = "cannot create a temporary directory";
        return;
    }
    dir_ = pattern;
    // The server refuses to run as root.
    if (::geteuid() == 0) {
        const passwd* user = ::getpwnam("postgres");
        if (user == nullptr || ::chown(dir_.c_str(), user->pw_uid, user->pw_gid) != 0) {
            failure_ = "running as root needs the \"postgres\" user of Debian's package";
            return;
        }
        asPostgresUser_ = true;
    }
    failure_ = run("initdb",
                   {"-D", (dir_ / "data").string(), "-U", kSuperUser, "--auth=trust", "-E", "UTF8",
                    "--no-locale", "--no-sync"},
                   true);
    if (failure_.empty()) {
        start();
    }
}

PostgresServer::~PostgresServer() {
    if (running_) {
        stop();
    }
    if (!dir_.empty()) {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
}

bool PostgresServer::start() {
    port_ = port_ != 0 ? port_ : freePort();
    // Durability is not under test: no fsync keeps the start and every commit cheap.
    const std::string options = "-c listen_addresses=127.0.0.1 -p " + std::to_string(port_) +
                                " -k " + dir_.string() +
                                " -c fsync=off -c synchronous_commit=off -c full_page_writes=off";
    failure_ = run("pg_ctl",
                   {"-D", (dir_ / "data").string(), "-l", (dir_ / "server.log").string(), "-o",
                    options, "-w", "-t", "60", "start"},
                   true);
    running_ = failure_.empty();
    if (!running_) {
        std::ifstream log(dir_ / "server.log");
        failure_ += std::string(std::istreambuf_iterator<char>(log), {});
    }
    return running_;
}

bool PostgresServer::stop() {
    failure_ = run("pg_ctl", {"-D", (dir_ / "data").string(), "-m", "fast", "-w", "stop"}, true);
    running_ = !failure_.empty() && running_;
    return failure_.empty();
}

std::string PostgresServer::url(const std::string& database) const {
    return std::string("postgresql://") + kSuperUser + "@127.0.0.1:" + std::to_string(port_) + "/" +
           database;
}

bool PostgresServer::createDatabase(const std::string& name) {
    failure_ = run("createdb",
                   {"-h", "127.0.0.1", "-p", std::to_string(port_), "-U", kSuperUser, name}, false);
    return failure_.empty();
}

PostgresServer::Result PostgresServer::sql(const std::string& database,
                                           const std::string& statements) const {
    const Outcome outcome =
        runProgram((bin_ / "psql").string(),
                   {"-X", "-q", "-At", "-v", "ON_ERROR_STOP=1", "-h", "127.0.0.1", "-p",
                    std::to_string(port_), "-U", kSuperUser, "-d", database, "-c", statements},
                   true);
    return {outcome.status, outcome.output};
}

PostgresServer& PostgresServer::shared() {
    SharedServerEnvironment* environment = sharedEnvironment();
    if (!environment->server) {
        environment->server = std::make_unique<PostgresServer>();
    }
    return *environment->server;
}

}  // namespace kova::test
