// Feeds arbitrary text to the descriptor reader; what it reads must survive writing and reading
// again unchanged.
#include "catalog/SoundTheme.h"
#include "themes/ThemeDescriptor.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

std::string rowsOf(const SoundTheme& theme) {
    std::string rows;
    for (const auto& [eventName, entry] : theme)
        rows += eventName + '\0' + entry.name + '\0' + entry.extension + '\0';
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    SoundTheme first;
    readDescriptor(in, first);
    if (first.size() > static_cast<std::int32_t>(size))
        std::abort(); // more rows than the text could hold

    std::ostringstream written;
    writeDescriptor(written, first);
    std::istringstream again(written.str());
    SoundTheme second;
    readDescriptor(again, second);
    if (rowsOf(first) != rowsOf(second))
        std::abort();
    return 0;
}
