#include "billing/formats/dds/Rz3ControlFile.h"

#include "billing/CAdzException.h"
#include "billing/formats/dds/AttachmentContainer.h"
#include "billing/formats/dds/AttachmentTexts.h"
#include "platform/PrivateProfile.h"
#include "platform/Text.h"

namespace bv {

namespace txt = attachment_texts;

namespace {

const char* const BatchKey = "Stapelnummer";
const char* const ErrorKey = "Error";
const char* const StatusKey = "Status";
// A missing value reads as this one character.
const char* const Missing = "#";
constexpr std::size_t ValueBuffer = 1024;
constexpr std::size_t LongestPath = 255;

std::string rightTrimmed(std::string_view text)
{
    const auto end = text.find_last_not_of(" \t\r\n");
    return std::string(end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1));
}

} // namespace

namespace rz3 {

bool parseAttachmentValue(std::string_view value, ControlAttachment& out)
{
    const auto open = value.find('[');
    if (open == std::string_view::npos || open < 1)
        return false;
    const auto close = value.find(']', open + 1);
    if (close == std::string_view::npos)
        return false;
    if (value.substr(0, close).find(',') != std::string_view::npos)
        return false;
    out = ControlAttachment{};
    out.path = rightTrimmed(value.substr(0, open)).substr(0, LongestPath);
    out.invoiceNumber = std::string(value.substr(open + 1, close - open - 1));
    const auto comma = value.find(',', close);
    out.sequence = comma == std::string_view::npos ? 0 : decimalInt(value.substr(comma + 1));
    const std::string extension = toUpper(container::extensionOf(out.path));
    out.typeAllowed = extension == ".TIF" || extension == ".TIFF" || extension == ".PDF";
    return true;
}

std::string attachmentValue(const std::string& controlPath, int n, int announced)
{
    std::string value =
        profile::readString(AttachmentSection, strFormat("ANLAGE%05d", n), Missing, ValueBuffer, controlPath);
    if (value == Missing && announced < 999)
        value = profile::readString(AttachmentSection, strFormat("ANLAGE%03d", n), Missing, ValueBuffer, controlPath);
    return value;
}

} // namespace rz3

bool IsControlFileReady(const std::string& controlPath)
{
    const std::string batch = profile::readString(rz3::SettingsSection, BatchKey, Missing, ValueBuffer, controlPath);
    if (batch == Missing || batch.empty()) {
        const std::string text = strFormat(txt::MissingBatchNumber, controlPath.c_str(), rz3::SettingsSection);
        WriteControlFileStatus(controlPath, rz3::StatusMissingBatchNumber, text);
        throw BV_ADZ_ERROR(rz3::StatusMissingBatchNumber, text);
    }
    return decimalInt(batch) > 0;
}

bool MarkControlFileSent(const std::string& controlPath)
{
    const int batch = profile::readInt(rz3::SettingsSection, BatchKey, 0, controlPath);
    return profile::writeString(rz3::SettingsSection, BatchKey, strFormat(txt::SentBatch, batch), controlPath);
}

bool WriteControlFileStatus(const std::string& controlPath, int status, const std::string& text)
{
    bool written = true;
    if (status != 0) {
        std::string error = rightTrimmed(text.empty() ? std::string(txt::Unspecified) : text);
        for (char& c : error) {
            if (c == '\r' || c == '\n')
                c = ' ';
        }
        written = profile::writeString(rz3::ReturnSection, ErrorKey, utf8ToCp1252(error), controlPath);
    }
    return profile::writeString(rz3::ReturnSection, StatusKey, std::to_string(status), controlPath) && written;
}

} // namespace bv
