// Feeds arbitrary bytes to the deployment.ini parser and splits every value it yields as a
// host[:port], as the network code does.
#include "platform/Deployment.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// deployment.ini holds a handful of lines; larger inputs add nothing but time.
constexpr size_t kMaxInput = 64 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size > kMaxInput) {
        return 0;
    }
    const platform::Deployment deployment
        = platform::parseDeployment(std::string(reinterpret_cast<const char*>(data), size));
    for (const std::string* value : { &deployment.webshopBe, &deployment.webshopNl, &deployment.lengthsCheck,
             &deployment.lengthsUpdate, &deployment.icmMailbox }) {
        const platform::HostPort split = platform::splitHostPort(*value, 443);
        if (split.port < 1 || split.port > 65535 || split.host.size() > value->size()) {
            __builtin_trap();
        }
    }
    return 0;
}
