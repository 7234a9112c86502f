#include "gui/scanning/SaneScanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace bv {

namespace {

// A hand scanner does not know its height; a page longer than this is no receipt.
constexpr std::size_t MaxLines = 40000;

// One device opened for a scan, closed whatever happens.
class Device
{
public:
    explicit Device(const std::string& name)
    {
        if (sane_open(name.c_str(), &m_handle) != SANE_STATUS_GOOD)
            m_handle = nullptr;
    }
    ~Device()
    {
        if (m_handle) {
            sane_cancel(m_handle);
            sane_close(m_handle);
        }
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    SANE_Handle handle() const { return m_handle; }

    // The option's number and descriptor when it exists and can be set now.
    const SANE_Option_Descriptor* find(const char* name, SANE_Int& number) const
    {
        for (SANE_Int i = 1;; ++i) {
            const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, i);
            if (!d)
                return nullptr;
            if (d->name && std::strcmp(d->name, name) == 0 && SANE_OPTION_IS_ACTIVE(d->cap) &&
                SANE_OPTION_IS_SETTABLE(d->cap)) {
                number = i;
                return d;
            }
        }
    }

    // A number into the option's constraint (nearest allowed value); false when there is no such option.
    bool setNumber(const char* name, double value)
    {
        SANE_Int number = 0;
        const SANE_Option_Descriptor* d = find(name, number);
        if (!d || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || d->size != sizeof(SANE_Word))
            return false;
        const bool fixed = d->type == SANE_TYPE_FIXED;
        auto toDouble = [fixed](SANE_Word w) { return fixed ? SANE_UNFIX(w) : static_cast<double>(w); };
        if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range)
            value = std::clamp(value, toDouble(d->constraint.range->min), toDouble(d->constraint.range->max));
        if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list &&
            d->constraint.word_list[0] > 0) {
            double best = toDouble(d->constraint.word_list[1]);
            for (SANE_Int i = 1; i <= d->constraint.word_list[0]; ++i) {
                const double candidate = toDouble(d->constraint.word_list[i]);
                if (std::fabs(candidate - value) < std::fabs(best - value))
                    best = candidate;
            }
            value = best;
        }
        SANE_Word word = fixed ? SANE_FIX(value) : static_cast<SANE_Word>(std::lround(value));
        return sane_control_option(m_handle, number, SANE_ACTION_SET_VALUE, &word, nullptr) == SANE_STATUS_GOOD;
    }

    // The range of a numeric option, for scaling into it.
    bool range(const char* name, double& min, double& max) const
    {
        SANE_Int number = 0;
        const SANE_Option_Descriptor* d = find(name, number);
        if (!d || d->constraint_type != SANE_CONSTRAINT_RANGE || !d->constraint.range)
            return false;
        const bool fixed = d->type == SANE_TYPE_FIXED;
        min = fixed ? SANE_UNFIX(d->constraint.range->min) : d->constraint.range->min;
        max = fixed ? SANE_UNFIX(d->constraint.range->max) : d->constraint.range->max;
        return true;
    }

    // The first of `values` that the option offers.
    bool setString(const char* name, const std::vector<std::string>& values)
    {
        SANE_Int number = 0;
        const SANE_Option_Descriptor* d = find(name, number);
        if (!d || d->type != SANE_TYPE_STRING)
            return false;
        for (const std::string& value : values) {
            bool offered = d->constraint_type != SANE_CONSTRAINT_STRING_LIST;
            for (const SANE_String_Const* s = offered ? nullptr : d->constraint.string_list; s && *s; ++s)
                offered = offered || value == *s;
            if (!offered || value.size() + 1 > static_cast<std::size_t>(d->size))
                continue;
            std::vector<char> buffer(static_cast<std::size_t>(d->size), '\0');
            std::memcpy(buffer.data(), value.c_str(), value.size());
            return sane_control_option(m_handle, number, SANE_ACTION_SET_VALUE, buffer.data(), nullptr) ==
                   SANE_STATUS_GOOD;
        }
        return false;
    }

    // An option from text: a string, a number or a yes/no.
    void setText(const std::string& name, const std::string& value)
    {
        SANE_Int number = 0;
        const SANE_Option_Descriptor* d = find(name.c_str(), number);
        if (!d)
            return;
        if (d->type == SANE_TYPE_STRING) {
            setString(name.c_str(), {value});
        } else if (d->type == SANE_TYPE_BOOL) {
            SANE_Word word = value == "yes" || value == "1" || value == "true" ? SANE_TRUE : SANE_FALSE;
            sane_control_option(m_handle, number, SANE_ACTION_SET_VALUE, &word, nullptr);
        } else {
            setNumber(name.c_str(), std::strtod(value.c_str(), nullptr));
        }
    }

private:
    SANE_Handle m_handle = nullptr;
};

// The protocol's scale -1000 to 1000 into the option's own range.
void setScaled(Device& device, const char* name, int value)
{
    double min = 0;
    double max = 0;
    if (!device.range(name, min, max))
        return;
    const double share = (std::clamp(value, -1000, 1000) + 1000) / 2000.0;
    device.setNumber(name, min + share * (max - min));
}

void applyTo(Device& device, const ScanSettings& s)
{
    device.setString(SANE_NAME_SCAN_MODE, SaneScanner::modesFor(s.pixelType));
    device.setNumber(SANE_NAME_SCAN_RESOLUTION, s.xResolution);
    device.setNumber(SANE_NAME_SCAN_X_RESOLUTION, s.xResolution);
    device.setNumber(SANE_NAME_SCAN_Y_RESOLUTION, s.yResolution);
    setScaled(device, SANE_NAME_BRIGHTNESS, s.brightness);
    setScaled(device, SANE_NAME_CONTRAST, s.contrast);
    const auto [width, height] = SaneScanner::pageSize(s.supportedSizes);
    device.setNumber(SANE_NAME_SCAN_TL_X, 0);
    device.setNumber(SANE_NAME_SCAN_TL_Y, 0);
    // The device keeps the area within its own range: a page larger than the glass is cut.
    device.setNumber(SANE_NAME_SCAN_BR_X, width > 0 ? width : 1e9);
    device.setNumber(SANE_NAME_SCAN_BR_Y, height > 0 ? height : 1e9);
}

ScanResult failed(SANE_Status status)
{
    ScanResult result;
    result.status = status == SANE_STATUS_CANCELLED ? ScanResult::Status::Cancelled : ScanResult::Status::Failed;
    result.code = static_cast<int>(status);
    return result;
}

// One line of samples into 8-bit samples of the page: 1-bit lines (1 is black), 8-bit as they are,
// 16-bit by their high byte (the samples come in the machine's byte order).
void appendLine(std::vector<std::uint8_t>& out, const std::uint8_t* line, const SANE_Parameters& p, int channels)
{
    const int samples = p.pixels_per_line * channels;
    if (p.depth == 1) {
        for (int i = 0; i < samples; ++i)
            out.push_back((line[i / 8] >> (7 - i % 8)) & 1 ? 0 : 255);
    } else if (p.depth == 16) {
        for (int i = 0; i < samples; ++i) {
            std::uint16_t v = 0;
            std::memcpy(&v, line + 2 * i, 2);
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    } else {
        out.insert(out.end(), line, line + samples);
    }
}

} // namespace

SaneScanner::~SaneScanner()
{
    close();
}

bool SaneScanner::open(const ScanIdentity&)
{
    if (m_open)
        return true;
    SANE_Int version = 0;
    m_open = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
    return m_open;
}

void SaneScanner::close()
{
    if (m_open)
        sane_exit();
    m_open = false;
}

std::optional<std::vector<ScannerSource>> SaneScanner::sources()
{
    if (!m_open)
        return std::nullopt;
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list)
        return std::nullopt;
    std::vector<ScannerSource> out;
    for (const SANE_Device** d = list; *d; ++d) {
        const auto text = [](SANE_String_Const s) { return std::string(s ? s : ""); };
        out.push_back({text((*d)->name), text((*d)->model), text((*d)->vendor)});
    }
    return out;
}

bool SaneScanner::select(const std::string& name)
{
    const auto list = sources();
    if (!list)
        return false;
    for (const ScannerSource& source : *list) {
        if (source.name == name) {
            m_selected = name;
            return true;
        }
    }
    return false;
}

std::string SaneScanner::current() const
{
    if (!m_selected.empty() || !m_open)
        return m_selected;
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list || !list[0] || !list[0]->name)
        return {};
    return list[0]->name;
}

void SaneScanner::applySettings(const ScanSettings& settings)
{
    m_settings = settings;
}

std::vector<std::string> SaneScanner::modesFor(int pixelType)
{
    switch (pixelType) {
    case 0:
        return {SANE_VALUE_SCAN_MODE_LINEART, "Binary", SANE_VALUE_SCAN_MODE_HALFTONE, SANE_VALUE_SCAN_MODE_GRAY};
    case 1:
        return {SANE_VALUE_SCAN_MODE_GRAY, "Grayscale"};
    default:
        return {SANE_VALUE_SCAN_MODE_COLOR};
    }
}

std::pair<double, double> SaneScanner::pageSize(int supportedSizes)
{
    switch (supportedSizes) {
    case 0:
        return {0, 0};
    case 2:
        return {182, 257}; // B5
    case 3:
        return {215.9, 279.4}; // US Letter
    case 4:
        return {215.9, 355.6}; // US Legal
    case 5:
        return {148, 210}; // A5
    default:
        return {210, 297}; // A4
    }
}

ScanResult SaneScanner::acquire(bool)
{
    const std::string name = current();
    if (!m_open || name.empty())
        return failed(SANE_STATUS_INVAL);
    Device device(name);
    if (!device.handle())
        return failed(SANE_STATUS_INVAL);
    applyTo(device, m_settings);
    for (const auto& [option, value] : m_extra)
        device.setText(option, value);

    ScanResult result;
    PageImage& page = result.page;
    // Separate red, green and blue frames of a three-pass scanner are put together sample by sample.
    std::vector<std::uint8_t> planes[3];
    int planeCount = 0;
    for (;;) {
        SANE_Status status = sane_start(device.handle());
        SANE_Parameters p{};
        if (status == SANE_STATUS_GOOD)
            status = sane_get_parameters(device.handle(), &p);
        if (status != SANE_STATUS_GOOD)
            return failed(status);
        if ((p.depth != 1 && p.depth != 8 && p.depth != 16) || p.pixels_per_line <= 0 || p.bytes_per_line <= 0 ||
            (p.depth == 1 && p.format == SANE_FRAME_RGB))
            return failed(SANE_STATUS_UNSUPPORTED);
        const int channels = p.format == SANE_FRAME_RGB ? 3 : 1;
        std::vector<std::uint8_t> pixels;
        std::vector<std::uint8_t> line(static_cast<std::size_t>(p.bytes_per_line));
        std::size_t filled = 0;
        std::size_t lines = 0;
        for (;;) {
            SANE_Int got = 0;
            status =
                sane_read(device.handle(), line.data() + filled, static_cast<SANE_Int>(line.size() - filled), &got);
            if (status == SANE_STATUS_EOF)
                break;
            if (status != SANE_STATUS_GOOD)
                return failed(status);
            filled += static_cast<std::size_t>(got);
            if (filled == line.size()) {
                appendLine(pixels, line.data(), p, channels);
                filled = 0;
                if (++lines > MaxLines)
                    return failed(SANE_STATUS_NO_MEM);
            }
        }
        page.width = p.pixels_per_line;
        page.height = static_cast<int>(lines);
        if (p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB) {
            page.channels = channels;
            page.pixels = std::move(pixels);
        } else if (p.format >= SANE_FRAME_RED && p.format <= SANE_FRAME_BLUE) {
            planes[p.format - SANE_FRAME_RED] = std::move(pixels);
            ++planeCount;
        } else {
            return failed(SANE_STATUS_UNSUPPORTED);
        }
        if (p.last_frame)
            break;
    }
    if (planeCount > 0) {
        if (planeCount != 3 || planes[0].size() != planes[1].size() || planes[0].size() != planes[2].size())
            return failed(SANE_STATUS_IO_ERROR);
        page.channels = 3;
        page.pixels.resize(planes[0].size() * 3);
        for (std::size_t i = 0; i < planes[0].size(); ++i) {
            for (int c = 0; c < 3; ++c)
                page.pixels[i * 3 + static_cast<std::size_t>(c)] = planes[static_cast<std::size_t>(c)][i];
        }
    }
    page.xDpi = m_settings.xResolution;
    page.yDpi = m_settings.yResolution;
    if (page.empty())
        return failed(SANE_STATUS_IO_ERROR);
    result.status = ScanResult::Status::Ok;
    return result;
}

} // namespace bv
