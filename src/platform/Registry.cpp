#include "platform/Registry.h"

#include "platform/Files.h"
#include "platform/HiveContent.h"
#include "platform/Text.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <set>

namespace bv {

namespace {

// What identifies one version of a hive file on disk. A write replaces the file by a new inode,
// so inode, size and the nanosecond time stamps together tell whether it changed.
struct FileIdentity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec mtime = {};
    struct timespec ctime = {};

    static FileIdentity of(const struct stat& st)
    {
        return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    bool operator==(const FileIdentity& o) const
    {
        if (exists != o.exists)
            return false;
        return !exists ||
               (device == o.device && inode == o.inode && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
                mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec);
    }
};

// Each distinct failure is printed once per process, however often the hive is read.
void reportOnce(const std::string& message)
{
    static std::mutex mutex;
    static std::set<std::string> printed;
    std::lock_guard lock(mutex);
    if (printed.insert(message).second)
        std::cerr << message << std::endl;
}

bool readAll(int fd, std::string& out)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

// The advisory lock that serialises every read-modify-write of one hive between processes.
class WriteLock
{
public:
    explicit WriteLock(const std::filesystem::path& hive)
    {
        std::filesystem::path lockPath = hive;
        lockPath += ".lock";
        m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0)
            return;
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~WriteLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing releases the lock
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

enum class Change
{
    None,    // nothing to write, success
    Done,    // the content changed and must be written
    Refused, // the change does not apply (bad key, missing value), failure
};

} // namespace

HiveParseError::HiveParseError(const std::filesystem::path& file, int line, const std::string& what)
    : std::runtime_error(file.string() + ":" + std::to_string(line) + ": " + what), m_file(file), m_line(line)
{}

struct HiveFile::Impl
{
    std::filesystem::path file;
    mutable std::mutex mutex;
    mutable bool loaded = false;
    mutable FileIdentity identity;
    mutable HiveContent content;
    mutable std::optional<HiveParseError> error;

    // Reads the file from disk into content/identity/error. Returns false on a read or parse error.
    bool readFromDisk() const
    {
        content = HiveContent();
        error.reset();
        loaded = true;
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT) {
                identity = FileIdentity();
                return true;
            }
            identity = FileIdentity();
            fail(0, std::strerror(errno));
            loaded = false; // try again at the next read
            return false;
        }
        struct stat st;
        std::string text;
        const bool ok = ::fstat(fd, &st) == 0 && readAll(fd, text);
        const int readErrno = errno;
        ::close(fd);
        if (!ok) {
            fail(0, std::strerror(readErrno));
            loaded = false;
            return false;
        }
        identity = FileIdentity::of(st);
        if (const auto syntax = HiveContent::parse(text, content)) {
            content = HiveContent();
            fail(syntax->line, syntax->reason);
            return false;
        }
        return true;
    }

    void fail(int line, const std::string& reason) const
    {
        error.emplace(file, line, reason);
        reportOnce(line > 0 ? error->what() : file.string() + ": " + reason);
    }

    // Brings the in-memory copy up to date with one stat() of the file.
    void refresh() const
    {
        struct stat st;
        FileIdentity now;
        if (::stat(file.c_str(), &st) == 0)
            now = FileIdentity::of(st);
        if (loaded && now == identity)
            return;
        readFromDisk();
    }

    bool mutate(const std::function<Change(HiveContent&)>& change)
    {
        std::lock_guard guard(mutex);
        std::error_code ec;
        if (file.has_parent_path())
            std::filesystem::create_directories(file.parent_path(), ec);
        WriteLock lock(file);
        if (!lock.held())
            return false;
        removeStaleTemporaries();
        // Under the lock the file is always read again: only what is on disk now may be rewritten.
        if (!readFromDisk())
            return false;
        const Change result = change(content);
        if (result != Change::Done)
            return result == Change::None;
        if (!writeToDisk()) {
            loaded = false;
            return false;
        }
        return true;
    }

    // Writers make their temporary file only while they hold the lock, so any temporary file seen
    // under the lock was left by a writer that was killed.
    void removeStaleTemporaries() const
    {
        const std::string prefix = file.filename().string() + ".tmp.";
        const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : ".";
        std::error_code ec;
        for (auto it = std::filesystem::directory_iterator(dir, ec); !ec && it != std::filesystem::directory_iterator();
             it.increment(ec)) {
            if (it->path().filename().string().rfind(prefix, 0) == 0)
                std::filesystem::remove(it->path(), ec);
        }
    }

    bool writeToDisk()
    {
        if (files::writeFileAtomic(file, content.serialize()))
            return false;
        // The rename changed the file's ctime; stat it once more so the next read does not reload.
        struct stat now;
        if (::stat(file.c_str(), &now) == 0)
            identity = FileIdentity::of(now);
        else
            loaded = false;
        return true;
    }
};

HiveFile::HiveFile(std::filesystem::path file) : m_impl(std::make_unique<Impl>()), m_file(std::move(file))
{
    m_impl->file = m_file;
}

HiveFile::~HiveFile() = default;

void HiveFile::load() const
{
    std::lock_guard guard(m_impl->mutex);
    m_impl->refresh();
    if (m_impl->error)
        throw *m_impl->error;
}

bool HiveFile::isReadable() const
{
    std::lock_guard guard(m_impl->mutex);
    m_impl->refresh();
    return !m_impl->error && m_impl->identity.exists;
}

bool HiveFile::keyExists(const std::string& keyPath) const
{
    const auto path = HiveContent::normalizeKeyPath(keyPath);
    if (!path)
        return false;
    std::lock_guard guard(m_impl->mutex);
    m_impl->refresh();
    if (path->find('\\') == std::string::npos)
        return true; // the hive's root key always exists
    return m_impl->content.keyExists(*path);
}

std::optional<RegValue> HiveFile::value(const std::string& keyPath, const std::string& name) const
{
    const auto path = HiveContent::normalizeKeyPath(keyPath);
    if (!path)
        return std::nullopt;
    std::lock_guard guard(m_impl->mutex);
    m_impl->refresh();
    const HiveContent::Key* key = m_impl->content.findKey(*path);
    if (!key)
        return std::nullopt;
    const HiveContent::Entry* entry = key->find(name);
    if (!entry)
        return std::nullopt;
    return entry->value;
}

std::vector<std::string> HiveFile::valueNames(const std::string& keyPath) const
{
    std::vector<std::string> names;
    const auto path = HiveContent::normalizeKeyPath(keyPath);
    if (!path)
        return names;
    std::lock_guard guard(m_impl->mutex);
    m_impl->refresh();
    if (const HiveContent::Key* key = m_impl->content.findKey(*path)) {
        for (const HiveContent::Entry* entry : key->ordered())
            names.push_back(entry->name);
    }
    return names;
}

bool HiveFile::setValue(const std::string& keyPath, const std::string& name, const RegValue& value)
{
    const auto path = HiveContent::normalizeKeyPath(keyPath);
    if (!path || path->find('\\') == std::string::npos)
        return false;
    return m_impl->mutate([&](HiveContent& content) {
        bool created = false;
        HiveContent::Key& key = content.ensureKey(*path, &created);
        const bool changed = key.set(name, value, content.nextOrder());
        return changed || created ? Change::Done : Change::None;
    });
}

bool HiveFile::createKey(const std::string& keyPath)
{
    const auto path = HiveContent::normalizeKeyPath(keyPath);
    if (!path || path->find('\\') == std::string::npos)
        return false;
    return m_impl->mutate([&](HiveContent& content) {
        bool created = false;
        content.ensureKey(*path, &created);
        return created ? Change::Done : Change::None;
    });
}

bool HiveFile::deleteValue(const std::string& keyPath, const std::string& name)
{
    const auto path = HiveContent::normalizeKeyPath(keyPath);
    if (!path)
        return false;
    return m_impl->mutate([&](HiveContent& content) {
        auto* key = const_cast<HiveContent::Key*>(content.findKey(*path));
        return key && key->erase(name) ? Change::Done : Change::Refused;
    });
}

bool HiveFile::deleteKey(const std::string& keyPath)
{
    const auto path = HiveContent::normalizeKeyPath(keyPath);
    if (!path)
        return false;
    return m_impl->mutate(
        [&](HiveContent& content) { return content.removeKey(*path) ? Change::Done : Change::Refused; });
}

std::string HiveFile::serialize() const
{
    std::lock_guard guard(m_impl->mutex);
    m_impl->refresh();
    return m_impl->content.serialize();
}

std::optional<Hive> hiveFromName(const std::string& name)
{
    if (name == "HKEY_LOCAL_MACHINE")
        return Hive::LocalMachine;
    if (name == "HKEY_CURRENT_USER")
        return Hive::CurrentUser;
    if (name == "HKEY_CLASSES_ROOT")
        return Hive::ClassesRoot;
    if (name == "HKEY_USERS")
        return Hive::Users;
    return std::nullopt;
}

const char* hiveName(Hive hive)
{
    switch (hive) {
    case Hive::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case Hive::CurrentUser:
        return "HKEY_CURRENT_USER";
    case Hive::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case Hive::Users:
        return "HKEY_USERS";
    }
    return "";
}

Registry::Registry(std::filesystem::path machineFile, std::filesystem::path userFile)
    : m_machine(std::make_unique<HiveFile>(std::move(machineFile))),
      m_user(std::make_unique<HiveFile>(std::move(userFile)))
{}

std::unique_ptr<Registry> Registry::fromEnvironment()
{
    const char* dir = std::getenv("BVALS_REGISTRY_DIR");
    if (dir && *dir)
        return std::make_unique<Registry>(std::filesystem::path(dir) / "machine.reg",
                                          std::filesystem::path(dir) / "user.reg");
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const struct passwd* pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : "/";
        }
        config = std::filesystem::path(home) / ".config";
    }
    return std::make_unique<Registry>("/etc/brevalis/machine.reg", config / "brevalis" / "user.reg");
}

HiveFile& Registry::fileOf(Hive hive)
{
    return hive == Hive::CurrentUser ? *m_user : *m_machine;
}

HiveFile* Registry::fileOfKey(const std::string& fullKeyPath)
{
    const std::string root = fullKeyPath.substr(0, fullKeyPath.find('\\'));
    const auto hive = hiveFromName(toUpper(root));
    return hive ? &fileOf(*hive) : nullptr;
}

std::optional<RegValue> Registry::value(const std::string& fullKeyPath, const std::string& name)
{
    HiveFile* file = fileOfKey(fullKeyPath);
    return file ? file->value(fullKeyPath, name) : std::nullopt;
}

bool Registry::keyExists(const std::string& fullKeyPath)
{
    HiveFile* file = fileOfKey(fullKeyPath);
    return file && file->keyExists(fullKeyPath);
}

bool Registry::setValue(const std::string& fullKeyPath, const std::string& name, const RegValue& value)
{
    HiveFile* file = fileOfKey(fullKeyPath);
    return file && file->setValue(fullKeyPath, name, value);
}

bool Registry::deleteValue(const std::string& fullKeyPath, const std::string& name)
{
    HiveFile* file = fileOfKey(fullKeyPath);
    return file && file->deleteValue(fullKeyPath, name);
}

RegistryKeyReader::RegistryKeyReader(Registry& registry, const std::string& bracketName) : m_registry(registry)
{
    // "[" + hive name + "\" + path + "]": the hive name must be one of the four names exactly.
    if (bracketName.empty() || bracketName.front() != '[')
        return;
    std::string inner = bracketName.substr(1);
    if (!inner.empty() && inner.back() == ']')
        inner.pop_back();
    const std::size_t sep = inner.find('\\');
    if (sep == std::string::npos)
        return;
    const auto hive = hiveFromName(inner.substr(0, sep));
    if (!hive)
        return;
    m_keyPath = std::string(hiveName(*hive)) + "\\" + inner.substr(sep + 1);
    m_open = m_registry.fileOf(*hive).keyExists(m_keyPath);
}

std::string RegistryKeyReader::readString(const std::string& name) const
{
    if (!m_open)
        return {};
    const auto v = m_registry.value(m_keyPath, name);
    // The value and its terminating zero must fit the read buffer.
    if (!v || v->type != RegValue::Type::String || v->text.size() >= BufferSize)
        return {};
    return v->text;
}

std::optional<std::uint32_t> RegistryKeyReader::readNumber(const std::string& name) const
{
    if (!m_open)
        return std::nullopt;
    const auto v = m_registry.value(m_keyPath, name);
    if (!v)
        return std::nullopt;
    if (v->type == RegValue::Type::Dword)
        return v->number;
    return static_cast<std::uint32_t>(decimalInt(v->text));
}

} // namespace bv
