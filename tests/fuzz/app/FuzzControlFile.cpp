// Arbitrary bytes as a practice software's control file, as the billing file it names and as the
// result the send dialog leaves in the work file, through evaluation, preparation of the working
// directory and the status written back. The input holds the three parts separated by lines
// "===" ; "%BILLING%" in the control file stands for the billing file's path.

#include "app/practice/PracticeInterface.h"
#include "platform/MessageBoxes.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

class SilentMessageBoxes : public bv::MessageBoxes
{
public:
    using MessageBoxes::show;
    bv::MbResult show(const std::string&, const std::string&, bv::MbIcon, bv::MbButtons,
                      bv::MbResult defaultButton) override
    {
        return defaultButton;
    }
};

// The send dialog of the fuzz run appends the third part of the input to the work file.
class ScriptedPorts : public bv::PracticePorts
{
public:
    explicit ScriptedPorts(std::string result) : m_result(std::move(result)) {}
    void runSendDialog(const std::string& spoolDirectory) override
    {
        std::ofstream(spoolDirectory + "bvlsabr.ini", std::ios::binary | std::ios::app) << m_result;
    }
    void runMainWindow(const std::string&) override {}

private:
    std::string m_result;
};

const std::filesystem::path& scratch()
{
    static const std::filesystem::path dir = [] {
        std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/bv-fuzz-control-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratch(), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return dir;
}

std::string_view nextPart(std::string_view& rest)
{
    static constexpr std::string_view Separator = "\n===\n";
    const std::size_t at = rest.find(Separator);
    const std::string_view part = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + Separator.size());
    return part;
}

void write(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string control(nextPart(rest));
    const std::string_view billing = nextPart(rest);
    const std::string_view result = nextPart(rest);

    const std::filesystem::path billingPath = scratch() / "RZ0001.001";
    for (std::size_t at = control.find("%BILLING%"); at != std::string::npos; at = control.find("%BILLING%", at))
        control.replace(at, 9, billingPath.string());
    const std::filesystem::path controlPath = scratch() / "steuer.ini";
    const std::filesystem::path temp = scratch() / "tmp";
    write(controlPath, control);
    write(billingPath, billing);
    std::filesystem::create_directory(temp);

    SilentMessageBoxes boxes;
    ScriptedPorts ports{std::string(result)};
    bv::PracticeInterface(boxes, ports, temp.string() + "/").run(controlPath.string());

    // Whatever the customer and batch numbers were, nothing may be created beside the working root.
    static const std::set<std::string> expected = {"steuer.ini", "RZ0001.001", "tmp"};
    for (const auto& entry : std::filesystem::directory_iterator(scratch())) {
        if (expected.count(entry.path().filename().string()) == 0)
            std::abort();
    }
    std::error_code ignored;
    std::filesystem::remove_all(temp, ignored);
    return 0;
}
