#pragma once

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
// Starts and waits.
int run(const std::string& program, const std::vector<std::string>& args);

// "Linux <kernel release>, <PRETTY_NAME of /etc/os-release>", the operating-system description
// that the login sends.
std::string operatingSystemDescription();

} // namespace process
} // namespace bv
