#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace commands {

// One source order file as the main window lists it.
struct SourceFile
{
    std::string name; // without folder, the bytes the file system holds (not always UTF-8)
    std::string path; // folder + separator + name
    std::string time; // last write, "HH:MM:SS" local time
    std::string date; // last write, "YYYY-MM-DD" local time
};

// True when name matches a Windows-style file pattern: '*' any run of characters, '?' exactly
// one, letters compared without case. "*.*" matches every name, with or without a dot.
bool matchesFilePattern(std::string_view name, std::string_view pattern);

// Orders names as the Windows file system returns them: by their upper-case form, bytes beyond
// ASCII as they are.
bool fileNameLess(std::string_view a, std::string_view b);

// The folder whose files listSourceFiles lists: folder, or the folder part of the pattern below it.
std::string sourceFolder(const std::string& folder, const std::string& pattern);

// The ordinary files (no folders, no hidden or special files) of folder whose names match the
// pattern, in name order. A folder part in the pattern ("sub/*.csv") is looked up below folder.
// Nothing when the folder is empty (not configured), missing or unreadable.
std::vector<SourceFile> listSourceFiles(const std::string& folder, const std::string& pattern);

} // namespace commands
