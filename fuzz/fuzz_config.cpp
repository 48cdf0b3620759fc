// Feeds arbitrary bytes to the config.xml reader. Whatever a document makes of the record must
// survive a save and a second read unchanged, or a user's settings would drift with every save.
#include "config/ConfigReader.h"
#include "config/ConfigValues.h"
#include "config/ConfigWriter.h"
#include "platform/Messages.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

class SilentMessages final : public platform::Messages
{
public:
    void error(const std::string&) override { }
    void message(const std::string&, const std::string&, platform::MessageIcon) override { }
    bool question(const std::string&, const std::string&, platform::MessageIcon) override { return false; }
};

// A real config.xml is about 2 KB; larger inputs only slow the search down.
constexpr size_t kMaxInput = 64 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size > kMaxInput) {
        return 0;
    }
    SilentMessages messages;
    config::Settings settings;
    if (!config::readConfigBytes(std::string_view(reinterpret_cast<const char*>(data), size), settings, messages)) {
        return 0;
    }
    const config::ConfigValues values = config::ConfigValues::fromSettings(settings);
    config::Settings reread;
    if (!config::readConfigBytes(config::configText(values), reread, messages)
        || !(config::ConfigValues::fromSettings(reread) == values)) {
        __builtin_trap();
    }
    return 0;
}
