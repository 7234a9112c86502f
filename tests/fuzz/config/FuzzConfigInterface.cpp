// Arbitrary bytes as the interface file of practice software, run through the configuration
// interface (both variants) against a registry of its own.

#include "config/ConfigurationInterface.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "platform/MessageBoxes.h"
#include "platform/Registry.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

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

struct Scratch
{
    Scratch()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "fuzzconf.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        dir = pattern;
        registry = std::make_unique<bv::Registry>(dir / "machine.reg", dir / "user.reg");
        profile = std::make_unique<bv::Profile>(*registry);
        profile->writeString(bv::section::General, bv::profilekey::Kundennummer.name, "000012;000034");
        profile->writeString(bv::section::Abrechnungsversand, "000012:last_stapel", "9998");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(instance().dir, ignored);
        });
    }
    static Scratch& instance()
    {
        static Scratch scratch;
        return scratch;
    }

    std::filesystem::path dir;
    std::unique_ptr<bv::Registry> registry;
    std::unique_ptr<bv::Profile> profile;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Scratch& scratch = Scratch::instance();
    const std::filesystem::path file = scratch.dir / "interface.ini";
    SilentMessageBoxes boxes;
    std::ostringstream err;
    for (auto variant : {bv::ConfigurationInterface::Variant::Client, bv::ConfigurationInterface::Variant::Tool}) {
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        bv::ConfigurationInterface(variant, *scratch.profile, boxes, err).run(file);
    }
    return 0;
}
