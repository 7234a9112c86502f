#pragma once

#include <optional>
#include <string>

namespace bv {

// A file-open chooser: the chosen file's full path, or nothing when the user cancelled.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    virtual std::optional<std::string> chooseFile(const std::string& title, const std::string& startDirectory) = 0;
};

} // namespace bv
