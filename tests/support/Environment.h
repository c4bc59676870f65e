// Sets an environment variable for the rest of the test process; an empty value removes it.
#pragma once

#include "files/PcPath.h"

#include <cstdlib>
#include <string>

inline void setEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    // Wide, as values are paths that the ANSI code page may not hold (UTF-8 to UTF-16 as for a
    // path).
    _wputenv_s(pcPath(name).c_str(), pcPath(value).c_str());
#else
    value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
#endif
}
