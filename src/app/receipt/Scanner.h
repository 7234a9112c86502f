#pragma once

#include "app/receipt/PageImage.h"

#include <optional>
#include <string>
#include <vector>

namespace bv {

// A scanner the system offers: its name, product family and maker.
struct ScannerSource
{
    std::string name;
    std::string family;
    std::string maker;
};

// The scan settings kept in the profile (section Scanner), in the scanner protocol's own terms: dots
// per inch, pixel type (0 black and white, 1 grey, 2 and above colour), brightness and contrast on
// the scale -1000 to 1000, measuring unit and page size codes.
struct ScanSettings
{
    int xResolution = 120;
    int yResolution = 120;
    int pixelType = 4;
    int units = 0;
    int supportedSizes = 1;
    int brightness = 225;
    int contrast = 200;
};

// Who scans: the four identity texts a scanner session is opened with.
struct ScanIdentity
{
    std::string productName;
    std::string applicationName;
    std::string title;
    std::string company;
};

struct ScanResult
{
    enum class Status
    {
        Ok,
        Cancelled,
        Failed
    };
    Status status = Status::Failed;
    int code = 0; // the scanner layer's error number when failed
    PageImage page;
};

// A scanner session: open, list and select sources, set the settings, acquire one page, close.
class Scanner
{
public:
    virtual ~Scanner() = default;
    virtual bool open(const ScanIdentity& identity) = 0;
    // Every source; nullopt when they cannot be listed.
    virtual std::optional<std::vector<ScannerSource>> sources() = 0;
    // Chooses the source to scan from; false when there is none of that name.
    virtual bool select(const std::string& name) = 0;
    // The source a scan uses: the selected one, else the first.
    virtual std::string current() const = 0;
    virtual void applySettings(const ScanSettings& settings) = 0;
    virtual ScanResult acquire(bool showUserInterface) = 0;
    virtual void close() = 0;
};

} // namespace bv
