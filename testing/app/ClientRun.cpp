#include "app/ClientRun.h"

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

namespace bv::testing
{

std::filesystem::path binPath(const std::string& program)
{
    const char* dir = std::getenv("BV_BIN_DIR");
    if (!dir)
        throw std::runtime_error("BV_BIN_DIR is not set");
    return std::filesystem::path(dir) / program;
}

ClientRun::Result ClientRun::run() const
{
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/bv-run-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made)
        throw std::runtime_error("mkdtemp failed");
    const fs::path work(made);
    const fs::path transcriptFile = work / "transcript.txt";
    const fs::path answersFile = work / "answers.txt";
    const fs::path outputFile = work / "output.txt";
    {
        std::ofstream out(answersFile);
        for (const auto& line : answers)
            out << line << '\n';
    }

    const fs::path exe = program.empty() ? binPath("bvals_cl") : program;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::setenv("BVALS_UI_TRANSCRIPT", transcriptFile.c_str(), 1);
        ::setenv("BVALS_UI_ANSWERS", answersFile.c_str(), 1);
        if (!registryDir.empty())
            ::setenv("BVALS_REGISTRY_DIR", registryDir.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
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

    Result result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!result.timedOut && WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);

    std::ifstream transcript(transcriptFile);
    for (std::string line; std::getline(transcript, line);)
        result.transcript.push_back(line);
    std::ifstream output(outputFile);
    std::stringstream buffer;
    buffer << output.rdbuf();
    result.output = buffer.str();
    fs::remove_all(work);
    return result;
}

} // namespace bv::testing
