#include "platform/Files.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace bv {
namespace {

namespace fs = std::filesystem;

TEST(Files, TemporaryDirectoryEndsInSlash)
{
    const std::string dir = files::temporaryDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
}

// No file operation leaves a temporary file behind.
void expectOnly(const fs::path& dir, std::vector<std::string> names)
{
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir))
        found.push_back(e.path().filename().string());
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(found, names);
}

TEST(Files, CopyKeepsOrRefusesTheTarget)
{
    TempDir dir;
    const fs::path a = dir.write("a.xml", "neu");
    const fs::path b = dir.write("b.xml", "alt");
    ::chmod(a.c_str(), 0640);

    SystemError e = files::copyFile(a, b, false);
    EXPECT_EQ(e.code, EEXIST);
    EXPECT_EQ(e.text, "Die Datei ist bereits vorhanden.");
    EXPECT_EQ(dir.read("b.xml"), "alt");

    EXPECT_FALSE(files::copyFile(a, b, true));
    EXPECT_EQ(dir.read("b.xml"), "neu");
    EXPECT_FALSE(files::copyFile(a, dir.file("c.xml"), false));
    EXPECT_EQ(dir.read("c.xml"), "neu");
    EXPECT_EQ(fs::status(dir.file("c.xml")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(fs::last_write_time(a), fs::last_write_time(dir.file("c.xml")));

    EXPECT_EQ(files::copyFile(dir.file("fehlt"), b, true).text, "Das System kann die angegebene Datei nicht finden.");
    fs::create_directory(dir.file("sub"));
    EXPECT_EQ(files::copyFile(dir.file("sub"), dir.file("d"), true).code, EISDIR);
    EXPECT_EQ(files::copyFile(a, dir.file("fehlt/x"), true).code, ENOENT);
    // A pipe is refused at once instead of waiting for a writer.
    ::mkfifo(dir.file("pipe").c_str(), 0600);
    EXPECT_EQ(files::copyFile(dir.file("pipe"), dir.file("d"), true).code, EACCES);
    expectOnly(dir.path(), {"a.xml", "b.xml", "c.xml", "pipe", "sub"});
}

TEST(Files, CopyHandsOverEveryByteAndTheSourceAsItWasOpened)
{
    TempDir dir;
    const std::string content(200000, 'x');
    const fs::path a = dir.write("a", content);
    std::string seen;
    files::FileIdentity identity;
    ASSERT_FALSE(files::copyFile(
        a, dir.file("b"), true, [&](std::string_view bytes) { seen += bytes; }, &identity));
    EXPECT_EQ(seen, content);
    EXPECT_EQ(files::fileIdentity(a), identity);
    EXPECT_EQ(identity.size, 200000);
    EXPECT_NE(files::fileIdentity(dir.file("b")), identity);
    EXPECT_FALSE(files::fileIdentity(dir.file("fehlt")));

    // The four parts of an identity: a new modification time alone makes another version.
    fs::last_write_time(a, fs::last_write_time(a) + std::chrono::nanoseconds(1));
    EXPECT_NE(files::fileIdentity(a), identity);
}

TEST(Files, MoveRenamesAndRefusesToReplace)
{
    TempDir dir;
    const fs::path a = dir.write("a", "1");
    const fs::path b = dir.write("b", "2");
    EXPECT_EQ(files::moveFile(a, b, false).code, EEXIST);
    EXPECT_EQ(dir.read("a"), "1");
    EXPECT_FALSE(files::moveFile(a, b, true));
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(dir.read("b"), "1");
    fs::create_directory(dir.file("Sent"));
    EXPECT_FALSE(files::moveFile(b, dir.file("Sent/b"), false));
    EXPECT_EQ(dir.read("Sent/b"), "1");
    EXPECT_EQ(files::moveFile(dir.file("fehlt"), dir.file("x"), false).code, ENOENT);
}

TEST(Files, MoveAcrossFileSystemsCopiesAndRemoves)
{
    TempDir here;
    if (!fs::is_directory("/dev/shm"))
        GTEST_SKIP() << "no second file system";
    struct stat s1, s2;
    ::stat(here.path().c_str(), &s1);
    ::stat("/dev/shm", &s2);
    if (s1.st_dev == s2.st_dev)
        GTEST_SKIP() << "/dev/shm is on the same file system";
    const fs::path a = here.write("a", "inhalt");
    const fs::path target = fs::path("/dev/shm") / ("bv-move-" + std::to_string(::getpid()));
    EXPECT_FALSE(files::moveFile(a, target, false));
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(files::readFile(target), "inhalt");
    EXPECT_FALSE(files::removeFile(target));
}

TEST(Files, WriteAtomicKeepsModeAndLinks)
{
    TempDir dir;
    const fs::path f = dir.write("control.ini", "alt");
    ::chmod(f.c_str(), 0600);
    fs::create_symlink(f, dir.file("link.ini"));
    EXPECT_FALSE(files::writeFileAtomic(dir.file("link.ini"), "neu"));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(dir.read("control.ini"), "neu");
    EXPECT_EQ(fs::status(f).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(files::writeFileAtomic(dir.path(), "x").code, EISDIR);
    EXPECT_EQ(files::writeFileAtomic(dir.file("fehlt/x"), "x").code, ENOENT);
    expectOnly(dir.path(), {"control.ini", "link.ini"});
}

TEST(Files, ReadCreateRemove)
{
    TempDir dir;
    dir.write("a", std::string("ab\0cd", 5));
    EXPECT_EQ(files::readFile(dir.file("a")), std::string("ab\0cd", 5));
    EXPECT_EQ(files::readFile(dir.file("a"), 3), std::string("ab\0", 3));
    errno = 0;
    EXPECT_FALSE(files::readFile(dir.file("fehlt")));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(files::readFile(dir.path()));
    EXPECT_EQ(errno, EISDIR);

    EXPECT_FALSE(files::createDirectory(dir.file("neu")));
    EXPECT_FALSE(files::createDirectory(dir.file("neu")));
    EXPECT_EQ(files::createDirectory(dir.file("a")).code, EEXIST);
    EXPECT_EQ(files::createDirectory(dir.file("x/y")).code, ENOENT);
    EXPECT_FALSE(files::createDirectories(dir.file("x/y")));
    EXPECT_EQ(files::createDirectories(dir.file("a/b")).code, ENOTDIR);
    EXPECT_FALSE(files::removeFile(dir.file("a")));
    EXPECT_EQ(files::removeFile(dir.file("a")).code, ENOENT);
}

TEST(Files, CreationTimeIsAWindowsFileTimeOfNow)
{
    TempDir dir;
    const fs::path f = dir.write("a", "x");
    const auto t = files::creationFileTime(f);
    ASSERT_TRUE(t.has_value());
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const std::uint64_t nowTicks =
        (static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count()) + 11644473600ULL) *
        10000000ULL;
    EXPECT_LE(*t, nowTicks + 20000000ULL);
    EXPECT_GE(*t + 600000000ULL, nowTicks);
    EXPECT_FALSE(files::creationFileTime(dir.file("fehlt")).has_value());
}

TEST(Files, ListDirectoryMatchesSortsAndReportsErrors)
{
    TempDir dir;
    for (const char* name : {"b.XML", "A.xml", "c.txt", "a.xml.bak", "Z.Xml"})
        dir.write(name, "");
    fs::create_directory(dir.file("sub.xml"));
    SystemError error{1, "stale"};
    const auto list = files::listDirectory(dir.path(), "*.XML", &error);
    EXPECT_FALSE(error);
    std::vector<std::string> names;
    for (const auto& e : list)
        names.push_back(e.name + (e.isDirectory ? "/" : ""));
    EXPECT_EQ(names, (std::vector<std::string>{"A.xml", "b.XML", "sub.xml/", "Z.Xml"}));
    EXPECT_EQ(files::listDirectory(dir.path(), "*.*").size(), 6u);

    EXPECT_TRUE(files::listDirectory(dir.file("fehlt"), "*", &error).empty());
    EXPECT_EQ(error.code, ENOENT);
    files::listDirectory(dir.file("c.txt"), "*", &error);
    EXPECT_EQ(error.code, ENOTDIR);
}

TEST(Files, RemovableFlagOfDiskAndPartition)
{
    TempDir sys;
    sys.write("block/sdb/removable", "1\n");
    sys.write("block/sdb/sdb1/partition", "1\n");
    sys.write("block/sda/removable", "0\n");
    sys.write("block/sda/sda2/partition", "2\n");
    EXPECT_TRUE(files::removableFlag(sys.file("block/sdb")));
    EXPECT_TRUE(files::removableFlag(sys.file("block/sdb/sdb1")));
    EXPECT_FALSE(files::removableFlag(sys.file("block/sda/sda2")));
    EXPECT_FALSE(files::removableFlag(sys.file("block/none")));
    // The temporary directory is no floppy; a missing path is not removable either.
    EXPECT_FALSE(files::RemovableProbe().isRemovable(sys.file("fehlt")));
    EXPECT_FALSE(files::DriveProbe().driveExists('A'));
    EXPECT_FALSE(files::DriveProbe().driveExists('B'));
}

} // namespace
} // namespace bv
