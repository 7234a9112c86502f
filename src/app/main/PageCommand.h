#pragma once

#include <string>
#include <string_view>

namespace bv {

struct PopupProperties;

// A start request ("REQ:<file>", "StartURL:<address>") or a second start's request, split at the
// first ":". The command is empty when the text has no ":" or nothing before it: such a request
// names nothing and is ignored.
struct StartRequest
{
    std::string command;
    std::string value;
};
StartRequest splitStartRequest(std::string_view request);

// A page command as a page sets it in the status text: keyword and value split at the first ": ";
// without ": " the whole text is the keyword and the value is empty.
struct StatusCommand
{
    std::string keyword;
    std::string value;
};
StatusCommand splitStatusText(std::string_view text);

// Whether a status text is meant for the client at all: it begins with "BV".
bool isPageCommand(std::string_view text);

// Applies a BV_POPUPPROP value ("height=300,width=400,resizable=yes"). Each name followed by "="
// is searched anywhere in the value and its value runs to the next "," or the end. Height and
// width replace the popup size only when their decimal value is above 0; resizing is on exactly
// when its value is "yes".
void applyPopupProperties(std::string_view value, PopupProperties& popup);

// What the page commands remember for the whole process, across main windows: the last status text
// handled (a page setting the same text again is not obeyed twice) and the last session ended by
// BV_SESSIONEND (the same session is not ended twice).
struct PageCommandMemory
{
    std::string lastHandledText;
    std::string lastEndedSessionId;
};
PageCommandMemory& processPageCommandMemory();

} // namespace bv
