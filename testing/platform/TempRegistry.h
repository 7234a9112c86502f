#pragma once

#include "platform/Registry.h"
#include "platform/TempDir.h"

#include <memory>
#include <optional>
#include <string>

namespace bv {

// A registry of its own for one test: machine.reg and user.reg in a fresh temporary directory.
// While it lives, BVALS_REGISTRY_DIR names that directory, so Registry::fromEnvironment() and child
// processes use it too; the previous value is restored on destruction.
class TempRegistry
{
public:
    // The installer's machine key of the client (HKEY_LOCAL_MACHINE\SOFTWARE\...\BVALS_CL).
    static const std::string MachineBase;

    TempRegistry();
    ~TempRegistry();
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    const std::filesystem::path& directory() const { return m_dir.path(); }
    std::filesystem::path machineFile() const { return m_dir.file("machine.reg"); }
    std::filesystem::path userFile() const { return m_dir.file("user.reg"); }
    Registry& registry() { return *m_registry; }

    // MachineBase + suffix: machineKey("\\General"), machineKey("_CH\\General").
    static std::string machineKey(const std::string& suffix) { return MachineBase + suffix; }

    // Writes machine values as the installer does (full key paths).
    void setMachineString(const std::string& keyPath, const std::string& name, const std::string& value);
    void setMachineNumber(const std::string& keyPath, const std::string& name, std::uint32_t value);

    // What a typical installation leaves in the machine key: configuration "CH" with LoginURL,
    // General (LoginBackupURL, ClientVersion, UseBackupURL, UseLan), Abrechnungsversand
    // (DefaultSpooldir, UseProxy) and RZAnlagen (ScanDir, TmpDir).
    struct Installation
    {
        std::string loginUrl = "http://127.0.0.1:1/login";
        std::string loginBackupUrl = "http://127.0.0.1:1/backup";
        std::string clientVersion = "1.5.1";
        std::string useBackupUrl = "0";
        std::string useLan = "1";
        std::string defaultSpooldir = "/tmp/spool";
        std::string useProxy = "0";
        std::string scanDir = "/tmp/scan";
        std::string tmpDir = "/tmp/anlagen";
    };
    void install(const Installation& values);
    void install() { install(Installation{}); }

    // Replaces a hive file with raw text (for broken or hand-written hives).
    void writeMachineText(const std::string& text) { m_dir.write("machine.reg", text); }
    void writeUserText(const std::string& text) { m_dir.write("user.reg", text); }
    std::string userText() const { return m_dir.read("user.reg"); }
    std::string machineText() const { return m_dir.read("machine.reg"); }

private:
    TempDir m_dir;
    std::unique_ptr<Registry> m_registry;
    std::optional<std::string> m_previousEnv;
};

} // namespace bv
