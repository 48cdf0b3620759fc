#pragma once

#include <cstdlib>
#include <string>

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

// Sets or clears an environment variable for one test and restores it afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_had = true;
        }
        setEnvironment(name, value);
    }
    ~ScopedEnv() { setEnvironment(m_name.c_str(), m_had ? m_old.c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

} // namespace testing_support
