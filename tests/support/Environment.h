// Sets an environment variable for the rest of the test process; an empty value removes it.
#pragma once

#include <cstdlib>
#include <string>

inline void setEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
#endif
}
