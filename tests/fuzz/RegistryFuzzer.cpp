// Feeds arbitrary bytes to the registry file reader: it reads them or calls them damaged; what it
// writes must read back to the same text, and a value set must be found again with the same bytes.
#include "FuzzInput.h"
#include "device/RegistryFile.h"

#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::optional<RegistryFile> read;
    try {
        read = RegistryFile::fromBytes(std::string(fuzzBytes(data, size)));
    } catch (const RegistryDamaged&) {
        return 0;
    }
    RegistryFile& registry = *read;
    const std::string written = registry.toBytes();
    if (RegistryFile::fromBytes(written).toBytes() != written)
        std::abort();

    const RegistryValue value{
        7, std::vector<std::uint8_t>(data, data + std::min<std::size_t>(size, 64))};
    registry.set("HKEY_LOCAL_MACHINE\\Snd\\Event", "Curr0", value);
    const auto again = RegistryFile::fromBytes(registry.toBytes());
    const RegistryValue* found = again.find("hkey_local_machine\\snd\\event", "CURR0");
    if (!found || found->type != value.type || found->data != value.data)
        std::abort();
    return 0;
}
