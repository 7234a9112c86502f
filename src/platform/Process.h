#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace bv {
namespace process {

// Absolute path of the running executable (/proc/self/exe).
std::filesystem::path executablePath();

// Starts a program with arguments; returns its pid, or nullopt with errno set.
std::optional<int> start(const std::string& program, const std::vector<std::string>& args);
// Waits for it; returns its exit status (or -1 when it died of a signal).
int wait(int pid);
// How a wait with a time-out ended.
enum class WaitState
{
    Exited,   // the process ended; `status` is its exit status (-1 when it died of a signal)
    TimedOut, // still running after the time-out
    Failed,   // the process cannot be waited for (errno set)
};
struct WaitOutcome
{
    WaitState state = WaitState::Failed;
    int status = -1;
};
// Waits at most `timeout` for a started process; it is reaped when it has ended.
WaitOutcome waitFor(int pid, std::chrono::milliseconds timeout);
// Ends a started process that is no longer waited for (SIGKILL) and reaps it.
void terminate(int pid);
// Starts and waits.
int run(const std::string& program, const std::vector<std::string>& args);

// "Linux <kernel release>, <PRETTY_NAME of /etc/os-release>", the operating-system description
// that the login sends.
std::string operatingSystemDescription();

} // namespace process
} // namespace bv
