#include "app/send/ControlFileStatus.h"

#include "app/send/SendTexts.h"
#include "platform/PrivateProfile.h"
#include "platform/Text.h"

namespace bv {

namespace {

const char* const ReturnSection = "Rueckgabe";
const char* const ErrorKey = "Error";
const char* const StatusKey = "Status";

} // namespace

bool writeControlFileStatus(const std::string& controlPath, int status, const std::string& text)
{
    bool written = true;
    if (status != 0) {
        // An INI value is one line: a message with line breaks would not be written at all.
        std::string error = text.empty() ? std::string(sendtext::ControlUnspecified) : text;
        for (char& c : error)
            if (c == '\r' || c == '\n')
                c = ' ';
        written = profile::writeString(ReturnSection, ErrorKey, utf8ToCp1252(error), controlPath);
    }
    return profile::writeString(ReturnSection, StatusKey, std::to_string(status), controlPath) && written;
}

} // namespace bv
