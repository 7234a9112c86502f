#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace bv {

// A registry value: a string (REG_SZ) or a 32-bit number (REG_DWORD).
struct RegValue
{
    enum class Type
    {
        String,
        Dword
    };
    Type type = Type::String;
    std::string text;         // for String
    std::uint32_t number = 0; // for Dword

    static RegValue string(std::string s) { return {Type::String, std::move(s), 0}; }
    static RegValue dword(std::uint32_t n) { return {Type::Dword, {}, n}; }
};

// A hive file that does not parse: names the file and the line.
class HiveParseError : public std::runtime_error
{
public:
    HiveParseError(const std::filesystem::path& file, int line, const std::string& what);
    const std::filesystem::path& file() const { return m_file; }
    int line() const { return m_line; }

private:
    std::filesystem::path m_file;
    int m_line;
};

// One hive file in the Windows ".reg" text format, UTF-8:
//   Windows Registry Editor Version 5.00
//   [HKEY_CURRENT_USER\Software\...\General]
//   "name"="string"            (\\ and \" escaped)
//   "name"=dword:0000002a
// Keys carry their full path including the hive name. Key and value names compare
// case-insensitively. Reads are served from an in-memory copy that is reloaded only when the file
// changed on disk. Writes take an advisory lock on "<file>.lock", reload, apply the change and
// rewrite the file atomically (temporary file, fsync, rename). A file that does not parse is never
// rewritten: its writes fail and the parse error is printed to stderr with file and line.
class HiveFile
{
public:
    explicit HiveFile(std::filesystem::path file);
    ~HiveFile();
    HiveFile(const HiveFile&) = delete;
    HiveFile& operator=(const HiveFile&) = delete;

    const std::filesystem::path& path() const { return m_file; }

    // Loads (or reloads when changed). A missing file is an empty hive. Throws HiveParseError (line 0
    // when the file exists but cannot be read). Other reads of a hive that does not parse see an
    // empty hive.
    void load() const;
    // True when the file exists and parses (loading it if needed); prints the parse error otherwise.
    bool isReadable() const;

    bool keyExists(const std::string& keyPath) const;
    std::optional<RegValue> value(const std::string& keyPath, const std::string& name) const;
    std::vector<std::string> valueNames(const std::string& keyPath) const;

    // Each write is one locked read-modify-write of the file; false when it failed (parse error,
    // I/O error). Creating a value creates its key and every parent key. Writing the value a value
    // already has succeeds without rewriting the file. Deleting a value or key that does not exist
    // is false. String values may hold line breaks: they are stored as \n and \r escapes.
    bool setValue(const std::string& keyPath, const std::string& name, const RegValue& value);
    bool createKey(const std::string& keyPath);
    bool deleteValue(const std::string& keyPath, const std::string& name);
    bool deleteKey(const std::string& keyPath); // with its subkeys

    // Text of the whole hive in the .reg format (what a write puts on disk).
    std::string serialize() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::filesystem::path m_file;
};

// Hive names of the bracket notation; HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT and HKEY_USERS live in
// machine.reg, HKEY_CURRENT_USER in user.reg.
enum class Hive
{
    LocalMachine,
    CurrentUser,
    ClassesRoot,
    Users
};

std::optional<Hive> hiveFromName(const std::string& name); // exact comparison
const char* hiveName(Hive hive);

// The two hive files of this user: in $BVALS_REGISTRY_DIR when set, otherwise
// /etc/brevalis/machine.reg and ${XDG_CONFIG_HOME:-$HOME/.config}/brevalis/user.reg.
class Registry
{
public:
    Registry(std::filesystem::path machineFile, std::filesystem::path userFile);
    static std::unique_ptr<Registry> fromEnvironment();

    HiveFile& machine() { return *m_machine; }
    HiveFile& user() { return *m_user; }
    HiveFile& fileOf(Hive hive);

    // Full key path with the hive name: "HKEY_CURRENT_USER\\Software\\...".
    std::optional<RegValue> value(const std::string& fullKeyPath, const std::string& name);
    bool keyExists(const std::string& fullKeyPath);
    bool setValue(const std::string& fullKeyPath, const std::string& name, const RegValue& value);
    // False when the value did not exist or the hive could not be written.
    bool deleteValue(const std::string& fullKeyPath, const std::string& name);

private:
    // The hive file that holds a full key path (its first component names the hive, in any case).
    HiveFile* fileOfKey(const std::string& fullKeyPath);

    std::unique_ptr<HiveFile> m_machine;
    std::unique_ptr<HiveFile> m_user;
};

// A machine key opened by its bracket name "[HKEY_LOCAL_MACHINE\path]" for reading only. The hive
// name must be one of the four names exactly; any other gives a key that is not open. Values are
// read through a 1024-byte buffer: a value that is missing, not a string, or longer than 1023 bytes
// reads as empty.
class RegistryKeyReader
{
public:
    static constexpr std::size_t BufferSize = 1024;

    RegistryKeyReader(Registry& registry, const std::string& bracketName);
    bool isOpen() const { return m_open; }
    std::string readString(const std::string& name) const;
    // A number value, or a string value converted by the decimal rule; nullopt when missing.
    std::optional<std::uint32_t> readNumber(const std::string& name) const;

private:
    Registry& m_registry;
    std::string m_keyPath;
    bool m_open = false;
};

} // namespace bv
