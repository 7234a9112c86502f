#include "app/main/PageCommand.h"

#include "app/core/ClientApp.h"
#include "platform/Text.h"

namespace bv {

namespace {

// The value of "<name>=" inside a BV_POPUPPROP value, up to the next ","; empty when absent.
std::string propertyValue(std::string_view value, std::string_view name)
{
    const std::string pattern = std::string(name) + "=";
    const std::size_t at = value.find(pattern);
    if (at == std::string_view::npos)
        return {};
    const std::size_t start = at + pattern.size();
    const std::size_t end = value.find(',', start);
    return std::string(value.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

} // namespace

StartRequest splitStartRequest(std::string_view request)
{
    const std::size_t colon = request.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return {};
    return {std::string(request.substr(0, colon)), std::string(request.substr(colon + 1))};
}

StatusCommand splitStatusText(std::string_view text)
{
    const std::size_t separator = text.find(": ");
    if (separator == std::string_view::npos)
        return {std::string(text), {}};
    return {std::string(text.substr(0, separator)), std::string(text.substr(separator + 2))};
}

bool isPageCommand(std::string_view text)
{
    return startsWith(text, "BV");
}

void applyPopupProperties(std::string_view value, PopupProperties& popup)
{
    const int height = decimalInt(propertyValue(value, "height"));
    if (height > 0)
        popup.height = height;
    const int width = decimalInt(propertyValue(value, "width"));
    if (width > 0)
        popup.width = width;
    popup.resizable = propertyValue(value, "resizable") == "yes";
}

PageCommandMemory& processPageCommandMemory()
{
    static PageCommandMemory memory;
    return memory;
}

} // namespace bv
