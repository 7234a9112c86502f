#include "platform/SystemErrors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace bv {
namespace {

TEST(SystemErrorText, GermanTextsForTheCommonErrors)
{
    const std::pair<int, const char*> rows[] = {
        {ENOENT, "Das System kann die angegebene Datei nicht finden."},
        {EACCES, "Zugriff verweigert."},
        {EEXIST, "Die Datei ist bereits vorhanden."},
        {ENOSPC, "Auf dem Datentr\xC3\xA4ger ist nicht gen\xC3\xBCgend Speicherplatz vorhanden."},
        {EROFS, "Der Datentr\xC3\xA4ger ist schreibgesch\xC3\xBCtzt."},
        {ENOTDIR, "Der Verzeichnisname ist ung\xC3\xBCltig."},
        {EBUSY, "Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet wird."},
        {ENAMETOOLONG, "Der Dateiname oder die Erweiterung ist zu lang."},
        {EINVAL, "Falscher Parameter."},
        {ENOTEMPTY, "Das Verzeichnis ist nicht leer."},
    };
    for (const auto& [code, text] : rows)
        EXPECT_EQ(systemErrorText(code), text) << code;
    EXPECT_EQ(systemErrorText(ECONNRESET), std::strerror(ECONNRESET));
    EXPECT_EQ(systemErrorText(ELOOP), std::strerror(ELOOP));
    errno = ENOENT;
    const SystemError e = lastSystemError();
    EXPECT_TRUE(e);
    EXPECT_EQ(e.code, ENOENT);
}

TEST(SystemErrors, SystemErrorsBecomeTheFrameworksFileErrorCauses)
{
    const std::pair<int, int> rows[] = {{ENOENT, 2}, {ENOTDIR, 3}, {ENAMETOOLONG, 3}, {EMFILE, 4},  {EACCES, 5},
                                        {EISDIR, 5}, {EIO, 10},    {EBUSY, 11},       {ENOSPC, 13}, {EINVAL, 1}};
    for (const auto& [error, cause] : rows)
        EXPECT_EQ(files::fileErrorCause(error), cause) << error;
}

// A failed read and a failed write of the same cause are reported with different numbers.
TEST(SystemErrors, WindowsNumbersOfAReadAndOfAWrite)
{
    struct Row
    {
        int error;
        int read;
        int write;
    };
    const Row rows[] = {{ENOENT, 2, 3},  {ENOTDIR, 3, 3},   {ENAMETOOLONG, 3, 29}, {ELOOP, 3, 29},
                        {EMFILE, 4, 29}, {EACCES, 5, 5},    {EISDIR, 5, 5},        {EROFS, 30, 5},
                        {ENOMEM, 8, 8},  {ENOSPC, 30, 112}, {EDQUOT, 30, 112},     {EIO, 30, 29}};
    for (const Row& row : rows) {
        EXPECT_EQ(windowsFileError(row.error, FileAccess::Read), row.read) << row.error;
        EXPECT_EQ(windowsFileError(row.error, FileAccess::Write), row.write) << row.error;
    }
    EXPECT_EQ(windowsFileError(ENOENT), 2);
    EXPECT_EQ(windowsFileErrorText(3), "Das System kann den angegebenen Pfad nicht finden.");
    EXPECT_EQ(windowsFileErrorText(30), "Das System kann nicht von dem angegebenen Ger\xC3\xA4t lesen.");
    EXPECT_EQ(windowsFileErrorText(112), "");
}

} // namespace
} // namespace bv
