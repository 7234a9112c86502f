#include "app/send/ControlFileStatus.h"

#include "billing/formats/dds/Rz3ControlFile.h"

namespace bv {

bool writeControlFileStatus(const std::string& controlPath, int status, const std::string& text)
{
    return WriteControlFileStatus(controlPath, status, text);
}

} // namespace bv
