#pragma once

#include <iostream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testing_support {

// True when this Windows program runs under Wine rather than Windows.
inline bool underWine()
{
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

// For a case of a table test that Wine cannot run: true (skip it) under Wine, with the reason
// printed in the test's output.
inline bool skippedUnderWine(const std::string& testCase, const std::string& reason)
{
    if (!underWine()) {
        return false;
    }
    std::cout << "[  SKIPPED ] case \"" << testCase << "\" under Wine: " << reason << std::endl;
    return true;
}

// Wine's Schannel leaves the check of a server certificate against the system's roots to the
// caller, so without a CA file of our own any certificate passes there; Windows refuses it.
inline const char* const kWineTrustsAnyServer
    = "Wine's Schannel does not check the server certificate against the system's roots";

} // namespace testing_support
