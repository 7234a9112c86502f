#pragma once

#include "app/receipt/Scanner.h"

#include <map>
#include <string>
#include <vector>

namespace bv {

// The receipt scanner over SANE. A session is sane_init ... sane_exit; a scan opens the chosen
// device, sets the profile's settings as SANE options (resolution, mode from the pixel type,
// brightness and contrast scaled into the device's range, the scan area from the page size), reads
// one frame and closes the device. Sources are SANE devices: name, model as the product family,
// vendor as the maker.
class SaneScanner : public Scanner
{
public:
    SaneScanner() = default;
    ~SaneScanner() override;
    SaneScanner(const SaneScanner&) = delete;
    SaneScanner& operator=(const SaneScanner&) = delete;

    bool open(const ScanIdentity& identity) override;
    std::optional<std::vector<ScannerSource>> sources() override;
    bool select(const std::string& name) override;
    std::string current() const override;
    void applySettings(const ScanSettings& settings) override;
    ScanResult acquire(bool showUserInterface) override;
    void close() override;

    // A device option by its SANE name, set after the settings (a test backend's own options).
    void setDeviceOption(const std::string& name, const std::string& value) { m_extra[name] = value; }

    // The SANE mode for a pixel type: 0 black and white, 1 grey, anything else colour.
    static std::vector<std::string> modesFor(int pixelType);
    // Width and height in millimetres of a page size code; {0, 0} means the whole scan area.
    static std::pair<double, double> pageSize(int supportedSizes);

private:
    bool m_open = false;
    std::string m_selected;
    ScanSettings m_settings;
    std::map<std::string, std::string> m_extra;
};

} // namespace bv
