#pragma once

#include <string>

#ifdef _WIN32
#include "platform/WideText.h"

#include <windows.h>
// windows.h first: aclapi.h needs its types.
#include <aclapi.h>
#else
#include <sys/stat.h>
#endif

namespace testing_support {

#ifdef _WIN32
// Nobody but the current user (and the system itself, which Windows always lets in) may open the
// file.
inline bool isOwnerOnly(const std::string& path)
{
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(platform::toWide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
            nullptr, &acl, nullptr, &descriptor)
        != ERROR_SUCCESS) {
        return false;
    }
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    char user[512];
    DWORD size = 0;
    const bool known = GetTokenInformation(token, TokenUser, user, sizeof user, &size);
    CloseHandle(token);
    char system[SECURITY_MAX_SID_SIZE];
    size = sizeof system;
    CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &size);

    bool userAllowed = false;
    bool othersAllowed = acl == nullptr; // no list at all lets everybody in
    for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) {
            continue;
        }
        if (known && EqualSid(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &ace->SidStart)) {
            userAllowed = true;
        } else if (!EqualSid(system, &ace->SidStart)) {
            othersAllowed = true;
        }
    }
    LocalFree(descriptor);
    return userAllowed && !othersAllowed;
}
#else
// Mode 0600: read and write for the owner, nothing for anybody else.
inline bool isOwnerOnly(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0777) == 0600;
}
#endif

} // namespace testing_support
