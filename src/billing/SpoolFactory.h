#pragma once

#include "billing/CAbrechnungSpool.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <span>

namespace bv {

class FeeValueTable;
class MessageBoxes;
class ProfileStore;
namespace files {
class RemovableProbe;
}

// What a spool object is built from: the spool directory as the caller resolved it, and the choices
// of the send dialog that opens it.
struct SpoolRequest
{
    MessageBoxes& boxes;
    ProfileStore& profile;
    const files::RemovableProbe& removableProbe;
    std::filesystem::path directory;
    bool euroDefault = false;                 // a file without a currency is taken as euro
    bool spoolOption = false;                 // handed to the spool of fixed-record deliveries
    const FeeValueTable* feeValues = nullptr; // limits of fee positions, for the fixed-record readers
};

// What spool detection found in a spool directory.
enum class SpoolFinding
{
    Nothing,    // no billing file waits
    Unreadable, // the oldest file is of no format, or could not be opened
    Format,     // files of a billing format wait
};

// One row per spool type that spool detection gives: what it found, the spool object that reads it
// (none for a format whose spool this edition does not build) and whether this edition transmits it.
// A new format is one row here and its folder below formats/.
struct SpoolTypeRow
{
    int spoolType;
    SpoolFinding finding;
    std::unique_ptr<CAbrechnungSpool> (*make)(const SpoolRequest& request);
    bool transmitted;
};

// The row of a spool type; null for a type this edition does not know.
const SpoolTypeRow* spoolTypeRow(int spoolType);
// Every row, in the order of the table.
std::span<const SpoolTypeRow> spoolTypeRows();

// The spool object for a spool type, read from the request's directory; null when this edition builds
// none for the type. Reading the spool may throw CAdzException.
std::unique_ptr<CAbrechnungSpool> CreateSpool(int spoolType, const SpoolRequest& request);

// Builds spool objects; CreateSpool in the client, a spool of the tests' making in tests.
using SpoolFactory = std::function<std::unique_ptr<CAbrechnungSpool>(int spoolType, const SpoolRequest& request)>;

} // namespace bv
