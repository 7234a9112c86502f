#include "platform/SystemErrors.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace bv {

namespace {

// What the system makes of one system error number: the Windows numbers of a failed read and of a
// failed write, the framework's cause (0: the column's default, given below) and its German text
// (null: strerror).
struct SystemErrorRow
{
    int code;
    int readNumber;
    int writeNumber;
    int cause;
    const char* text;
};

constexpr int DefaultReadNumber = winerror::ReadFault;
constexpr int DefaultWriteNumber = winerror::WriteFault;
constexpr int DefaultCause = files::GenericException;

using namespace winerror;

// clang-format off
constexpr SystemErrorRow SystemErrors[] = {
    // errno        read              write            cause                     German text
    {ENOENT,       FileNotFound,     PathNotFound,    files::FileNotFound,      "Das System kann die angegebene Datei nicht finden."},
    {ENOTDIR,      PathNotFound,     PathNotFound,    files::BadPath,           "Der Verzeichnisname ist ungültig."},
    {ENAMETOOLONG, PathNotFound,     0,               files::BadPath,           "Der Dateiname oder die Erweiterung ist zu lang."},
    {ELOOP,        PathNotFound,     0,               files::BadPath,           nullptr},
    {EMFILE,       TooManyOpenFiles, 0,               files::TooManyOpenFiles,  nullptr},
    {ENFILE,       TooManyOpenFiles, 0,               files::TooManyOpenFiles,  nullptr},
    {EACCES,       AccessDenied,     AccessDenied,    files::AccessDenied,      "Zugriff verweigert."},
    {EPERM,        AccessDenied,     AccessDenied,    files::AccessDenied,      "Zugriff verweigert."},
    {EISDIR,       AccessDenied,     AccessDenied,    files::AccessDenied,      "Zugriff verweigert."},
    {EROFS,        0,                AccessDenied,    files::AccessDenied,      "Der Datenträger ist schreibgeschützt."},
    {ENOMEM,       NotEnoughMemory,  NotEnoughMemory, 0,                        nullptr},
    {ENOSPC,       0,                DiskFull,        files::DiskFull,          "Auf dem Datenträger ist nicht genügend Speicherplatz vorhanden."},
    {EDQUOT,       0,                DiskFull,        0,                        nullptr},
    {EIO,          0,                0,               files::HardIO,            "Die Anforderung konnte wegen eines E/A-Gerätefehlers nicht ausgeführt werden."},
    {EBUSY,        0,                0,               files::SharingViolation,  "Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet wird."},
    {ETXTBSY,      0,                0,               files::SharingViolation,  nullptr},
    {EEXIST,       0,                0,               0,                        "Die Datei ist bereits vorhanden."},
    {EINVAL,       0,                0,               0,                        "Falscher Parameter."},
    {EXDEV,        0,                0,               0,                        "Das System kann die Datei nicht auf ein anderes Laufwerk verschieben."},
    {ENOTEMPTY,    0,                0,               0,                        "Das Verzeichnis ist nicht leer."},
};
// clang-format on

// The texts a German Windows shows for the numbers a failed read reports.
constexpr std::pair<int, const char*> WindowsTexts[] = {
    {winerror::FileNotFound, "Das System kann die angegebene Datei nicht finden."},
    {winerror::PathNotFound, "Das System kann den angegebenen Pfad nicht finden."},
    {winerror::TooManyOpenFiles, "Das System kann die Datei nicht öffnen."},
    {winerror::AccessDenied, "Zugriff verweigert."},
    {winerror::NotEnoughMemory, "Nicht genügend Arbeitsspeicher verfügbar, um diesen Befehl zu verarbeiten."},
    {winerror::ReadFault, "Das System kann nicht von dem angegebenen Gerät lesen."},
};

const SystemErrorRow* rowOf(int code)
{
    for (const auto& row : SystemErrors) {
        if (row.code == code)
            return &row;
    }
    return nullptr;
}

int orDefault(int value, int fallback)
{
    return value != 0 ? value : fallback;
}

} // namespace

std::string systemErrorText(int code)
{
    const SystemErrorRow* row = rowOf(code);
    return row && row->text ? row->text : std::strerror(code);
}

SystemError systemError(int code)
{
    return SystemError{code, systemErrorText(code)};
}

SystemError lastSystemError()
{
    return systemError(errno);
}

int windowsFileError(int errnoValue, FileAccess access)
{
    const SystemErrorRow* row = rowOf(errnoValue);
    if (access == FileAccess::Write)
        return orDefault(row ? row->writeNumber : 0, DefaultWriteNumber);
    return orDefault(row ? row->readNumber : 0, DefaultReadNumber);
}

std::string windowsFileErrorText(int number)
{
    for (const auto& [windowsNumber, text] : WindowsTexts) {
        if (windowsNumber == number)
            return text;
    }
    return {};
}

namespace files {

int fileErrorCause(int errnoValue)
{
    const SystemErrorRow* row = rowOf(errnoValue);
    return orDefault(row ? row->cause : 0, DefaultCause);
}

} // namespace files
} // namespace bv
