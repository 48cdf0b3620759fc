#pragma once

#include <string>
#include <vector>

namespace platform {

// Creates the folder (not its parents) readable and writable by the user alone, for folders that
// keep copies of files holding the password. True when it exists afterwards as a folder; an
// existing folder keeps its rights.
bool createOwnerOnlyFolder(const std::string& path, std::string* error = nullptr);

// The names of the folders directly in folder, in no particular order; nothing when it is missing
// or unreadable. Links are not followed and not listed.
std::vector<std::string> subfolderNames(const std::string& folder);

// Removes the folder with everything in it; false with the OS text.
bool removeFolderTree(const std::string& path, std::string* error = nullptr);

} // namespace platform
