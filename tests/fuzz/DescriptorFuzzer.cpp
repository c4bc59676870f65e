// Feeds arbitrary text to the descriptor reader; what it reads must survive writing and reading
// again unchanged.
#include "FuzzInput.h"
#include "catalog/SoundTheme.h"
#include "themes/ThemeDescriptor.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in{std::string(fuzzBytes(data, size))};
    SoundTheme theme;
    readDescriptor(in, theme);
    // The writer puts every field on a line of its own, so equal texts mean equal rows.
    std::ostringstream first, second;
    writeDescriptor(first, theme);
    std::istringstream again(first.str());
    readDescriptor(again, theme);
    writeDescriptor(second, theme);
    if (second.str() != first.str())
        std::abort();
    return 0;
}
