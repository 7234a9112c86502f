#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace bv::testing {

// Runs bvals_cl (or another program of build/bin) as a black box in an unattended run: its registry
// directory, its transcript and its answers are files of the test.
struct ClientRun
{
    std::filesystem::path program; // defaults to $BV_BIN_DIR/bvals_cl
    std::vector<std::string> arguments;
    std::filesystem::path registryDir;      // BVALS_REGISTRY_DIR
    std::vector<std::string> answers;       // lines of BVALS_UI_ANSWERS
    std::map<std::string, std::string> env; // further variables
    std::chrono::seconds timeout{60};

    struct Result
    {
        int exitStatus = -1; // -1 when killed or timed out
        bool timedOut = false;
        std::vector<std::string> transcript; // lines of BVALS_UI_TRANSCRIPT
        std::string output;                  // stdout and stderr

        // The transcript's lines and the output, for a failing check to show.
        std::string text() const;
        bool hasLine(const std::string& line) const;
    };

    Result run() const;

    // A client started in the background: the test acts while it runs, then waits for it or ends it.
    class Running
    {
    public:
        Running(Running&& other) noexcept;
        ~Running(); // kills a client still running
        bool exited() const;
        Result wait(std::chrono::seconds timeout); // kills it after the time-out
        Result terminate();                        // SIGTERM, then wait
        std::vector<std::string> transcript() const;
        // Waits until a transcript line equal to `line` (or starting with it) appears.
        bool waitForLine(const std::string& line, std::chrono::milliseconds timeout, bool prefix = false) const;

    private:
        friend struct ClientRun;
        Running(int pid, std::filesystem::path work);
        Result collect(int status, bool timedOut);
        int m_pid;
        std::filesystem::path m_work;
        mutable bool m_exited = false;
        mutable int m_status = 0;
    };
    Running start() const;
};

// Path of a program in the build's bin directory ($BV_BIN_DIR).
std::filesystem::path binPath(const std::string& program);

} // namespace bv::testing
