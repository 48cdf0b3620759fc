#pragma once

#include <cstdlib>

namespace testing_support {

// Sets an environment variable of this process, or removes it when value is nullptr.
inline void setEnvironment(const char* name, const char* value)
{
#ifdef _WIN32
    // An empty value removes the variable on Windows.
    _putenv_s(name, value != nullptr ? value : "");
#else
    value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
#endif
}

} // namespace testing_support
