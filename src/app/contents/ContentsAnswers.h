#pragma once

#include <optional>
#include <string>

namespace bv {

// Unattended answers of the contents dialog, each "inhalt<TAB>action[<TAB>value]": "edit" with a row
// key presses that row's "Bearbeiten" (the receipt dialog then takes its own answers), "print" with a
// file path prints into that PDF file, "ok" and "cancel" close. The choice among several images of an
// invoice takes "anlage<TAB>n" (from 1). See docs/ARCHITECTURE.md.
struct ContentsAnswer
{
    enum class Action
    {
        Edit,
        Print,
        Ok,
        Cancel
    };
    Action action;
    std::string value;
};

std::optional<ContentsAnswer> parseContentsAnswer(const std::string& answer);
// The chosen image (from 0) of an "anlage" answer; nullopt for any other answer.
std::optional<std::size_t> parseAttachmentChoice(const std::string& answer);

} // namespace bv
