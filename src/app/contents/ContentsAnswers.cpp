#include "app/contents/ContentsAnswers.h"

#include "platform/Text.h"

namespace bv {

std::optional<ContentsAnswer> parseContentsAnswer(const std::string& answer)
{
    const std::vector<std::string> parts = split(answer, '\t');
    if (parts.size() < 2 || parts[0] != "inhalt")
        return std::nullopt;
    const std::string value = parts.size() > 2 ? parts[2] : std::string();
    using enum ContentsAnswer::Action;
    if (parts[1] == "edit" && parts.size() == 3)
        return ContentsAnswer{Edit, value};
    if (parts[1] == "print" && parts.size() == 3)
        return ContentsAnswer{Print, value};
    if (parts[1] == "ok" && parts.size() == 2)
        return ContentsAnswer{Ok, {}};
    if (parts[1] == "cancel" && parts.size() == 2)
        return ContentsAnswer{Cancel, {}};
    return std::nullopt;
}

std::optional<std::size_t> parseAttachmentChoice(const std::string& answer)
{
    const std::vector<std::string> parts = split(answer, '\t');
    if (parts.size() != 2 || parts[0] != "anlage")
        return std::nullopt;
    const int number = decimalInt(parts[1]);
    if (number < 1)
        return std::nullopt;
    return static_cast<std::size_t>(number - 1);
}

} // namespace bv
