#include "app/ClientRun.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace bv::testing {

std::filesystem::path binPath(const std::string& program)
{
    const char* dir = std::getenv("BV_BIN_DIR");
    if (!dir)
        throw std::runtime_error("BV_BIN_DIR is not set");
    return std::filesystem::path(dir) / program;
}

namespace {

std::vector<std::string> readLines(const std::filesystem::path& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

ClientRun::Running ClientRun::start() const
{
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/bv-run-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made)
        throw std::runtime_error("mkdtemp failed");
    const fs::path work(made);
    {
        std::ofstream out(work / "answers.txt");
        for (const auto& line : answers)
            out << line << '\n';
    }
    std::ofstream(work / "transcript.txt").close();

    const fs::path exe = program.empty() ? binPath("bvals_cl") : program;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open((work / "output.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::setenv("BVALS_UI_TRANSCRIPT", (work / "transcript.txt").c_str(), 1);
        ::setenv("BVALS_UI_ANSWERS", (work / "answers.txt").c_str(), 1);
        if (!registryDir.empty())
            ::setenv("BVALS_REGISTRY_DIR", registryDir.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
        ::setenv("QTWEBENGINE_CHROMIUM_FLAGS",
                 "--no-sandbox --disable-gpu --disable-background-networking --disable-component-update", 1);
        for (const auto& [key, value] : env)
            ::setenv(key.c_str(), value.c_str(), 1);
        std::vector<std::string> args{exe.string()};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    return Running(pid, work);
}

ClientRun::Running::Running(int pid, std::filesystem::path work) : m_pid(pid), m_work(std::move(work)) {}

ClientRun::Running::Running(Running&& other) noexcept
    : m_pid(other.m_pid), m_work(std::move(other.m_work)), m_exited(other.m_exited), m_status(other.m_status)
{
    other.m_pid = -1;
}

ClientRun::Running::~Running()
{
    if (m_pid > 0 && !exited()) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &m_status, 0);
    }
    if (!m_work.empty())
        std::filesystem::remove_all(m_work);
}

bool ClientRun::Running::exited() const
{
    if (m_exited || m_pid <= 0)
        return true;
    if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid)
        m_exited = true;
    return m_exited;
}

std::vector<std::string> ClientRun::Running::transcript() const
{
    return readLines(m_work / "transcript.txt");
}

bool ClientRun::Running::waitForLine(const std::string& line, std::chrono::milliseconds timeout, bool prefix) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        for (const auto& candidate : transcript())
            if (candidate == line || (prefix && candidate.rfind(line, 0) == 0))
                return true;
        if (std::chrono::steady_clock::now() > deadline || exited())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

ClientRun::Result ClientRun::Running::collect(int status, bool timedOut)
{
    Result result;
    result.timedOut = timedOut;
    if (!timedOut && WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    result.transcript = transcript();
    std::ifstream output(m_work / "output.txt");
    std::stringstream buffer;
    buffer << output.rdbuf();
    result.output = buffer.str();
    return result;
}

ClientRun::Result ClientRun::Running::wait(std::chrono::seconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!exited()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &m_status, 0);
            m_exited = true;
            return collect(m_status, true);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return collect(m_status, false);
}

ClientRun::Result ClientRun::Running::terminate()
{
    if (!exited())
        ::kill(m_pid, SIGTERM);
    return wait(std::chrono::seconds(10));
}

ClientRun::Result ClientRun::run() const
{
    return start().wait(timeout);
}

std::string ClientRun::Result::text() const
{
    std::string text;
    for (const auto& line : transcript)
        text += line + "\n";
    return text + output;
}

bool ClientRun::Result::hasLine(const std::string& line) const
{
    return std::find(transcript.begin(), transcript.end(), line) != transcript.end();
}

} // namespace bv::testing
