#include "platform/Process.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace bv {
namespace process {

namespace {

// The value of one KEY=value line of os-release, unquoted as the shell would.
std::optional<std::string> osReleaseValue(const std::string& text, const std::string& key)
{
    for (const std::string& raw : split(text, '\n')) {
        const std::string line = trim(raw);
        if (!startsWith(line, key + "="))
            continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            const char quote = value.front();
            value = value.substr(1, value.size() - 2);
            if (quote == '"') {
                std::string unescaped;
                for (std::size_t i = 0; i < value.size(); ++i) {
                    if (value[i] == '\\' && i + 1 < value.size())
                        ++i;
                    unescaped += value[i];
                }
                value = unescaped;
            }
        }
        return value;
    }
    return std::nullopt;
}

} // namespace

std::filesystem::path executablePath()
{
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

std::optional<int> start(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<std::string> storage;
    storage.reserve(args.size() + 1);
    storage.push_back(program);
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    // A bare name is looked up in PATH; a name with a slash is taken as it is.
    const int rc = program.find('/') == std::string::npos
                       ? ::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ)
                       : ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (rc != 0) {
        errno = rc;
        return std::nullopt;
    }
    return pid;
}

int wait(int pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

WaitOutcome waitFor(int pid, std::chrono::milliseconds timeout)
{
    // A pidfd becomes readable when the process ends, so the wait sleeps in poll() instead of
    // polling waitpid(); kernels without pidfd_open fall back to short naps.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    WaitOutcome outcome;
    for (;;) {
        int status = 0;
        const pid_t reaped = ::waitpid(pid, &status, WNOHANG);
        if (reaped == pid) {
            outcome = {WaitState::Exited, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
            break;
        }
        if (reaped < 0 && errno != EINTR) {
            outcome = {WaitState::Failed, -1};
            break;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            outcome = {WaitState::TimedOut, -1};
            break;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        if (pidfd >= 0) {
            pollfd ready{pidfd, POLLIN, 0};
            ::poll(&ready, 1, static_cast<int>(std::min<long long>(left.count(), 60'000)));
        } else {
            ::usleep(static_cast<useconds_t>(std::min<long long>(left.count(), 10) * 1000));
        }
    }
    const int savedErrno = errno;
    if (pidfd >= 0)
        ::close(pidfd);
    errno = savedErrno;
    return outcome;
}

void terminate(int pid)
{
    if (::kill(pid, SIGKILL) == 0)
        wait(pid);
}

int run(const std::string& program, const std::vector<std::string>& args)
{
    const auto pid = start(program, args);
    return pid ? wait(*pid) : -1;
}

std::string operatingSystemDescription()
{
    std::string description = "Linux";
    struct utsname names;
    if (::uname(&names) == 0) {
        description += " ";
        description += names.release;
    }
    auto text = files::readFile("/etc/os-release");
    if (!text)
        text = files::readFile("/usr/lib/os-release");
    if (text) {
        if (const auto pretty = osReleaseValue(*text, "PRETTY_NAME"); pretty && !pretty->empty())
            description += ", " + *pretty;
    }
    return description;
}

} // namespace process
} // namespace bv
