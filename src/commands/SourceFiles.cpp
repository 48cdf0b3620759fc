#include "commands/SourceFiles.h"

#include "platform/Clock.h"
#include "platform/Paths.h"

#include <sys/stat.h>

#ifdef _WIN32
#include "platform/WideText.h"

#include <windows.h>
#endif

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <utility>

namespace commands {

namespace {

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Iterative wildcard match with one back-tracking point: linear in practice and never recursive,
// so a pattern of many stars cannot blow the stack.
bool wildcardMatch(std::string_view name, std::string_view pattern)
{
    size_t n = 0;
    size_t p = 0;
    size_t starAt = std::string_view::npos;
    size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || upper(pattern[p]) == upper(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

// The last write as the list shows it: "HH:MM:SS" and "YYYY-MM-DD", local time.
std::pair<std::string, std::string> writeStamp(std::time_t written)
{
    const platform::LocalTime local = platform::localTime(written);
    return { platform::formatClockTime(local), platform::formatDate(local.date) };
}

// An ordinary file with its last write. Hidden files (a leading dot), sockets, pipes, devices
// and links are nobody's orders; a link would also make the ICM e-mail mail its target, which
// may lie anywhere the user can read.
bool isListedFile(const std::string& name, const std::string& path, std::time_t& written)
{
    if (name.empty() || name.front() == '.') {
        return false;
    }
#ifdef _WIN32
    // Wide, so a name outside the ANSI code page is found too.
    struct _stat64 info
    {
    };
    const DWORD attributes = GetFileAttributesW(platform::toWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0
        || ::_wstat64(platform::toWide(path).c_str(), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        return false;
    }
#else
    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
#endif
    written = static_cast<std::time_t>(info.st_mtime);
    return true;
}

} // namespace

bool matchesFilePattern(std::string_view name, std::string_view pattern)
{
    // "*.*" is the classic "every file", also for names without an extension.
    if (pattern == "*.*") {
        return true;
    }
    return wildcardMatch(name, pattern);
}

bool fileNameLess(std::string_view a, std::string_view b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const unsigned char x = static_cast<unsigned char>(upper(a[i]));
        const unsigned char y = static_cast<unsigned char>(upper(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b; // only case differs: keep a fixed order
}

std::string sourceFolder(const std::string& folder, const std::string& pattern)
{
    const size_t cut = pattern.find_last_of(std::string("/") + platform::separator());
    return cut == std::string::npos ? folder : platform::joinPath(folder, pattern.substr(0, cut));
}

std::vector<SourceFile> listSourceFiles(const std::string& folder, const std::string& pattern)
{
    // Without an input folder the path would point at the root or the current folder, whose
    // files are nobody's orders.
    if (folder.empty()) {
        return {};
    }
    const std::string searchFolder = sourceFolder(folder, pattern);
    const size_t cut = pattern.find_last_of(std::string("/") + platform::separator());
    const std::string namePattern = cut == std::string::npos ? pattern : pattern.substr(cut + 1);

    std::vector<SourceFile> files;
    std::error_code error;
    // The names stay the bytes of the directory entries: a name that is no valid UTF-8 is listed,
    // opened and deleted like any other.
    const std::filesystem::path searchPath = platform::toFsPath(searchFolder);
    for (std::filesystem::directory_iterator it(searchPath, error), end; !error && it != end; it.increment(error)) {
        const std::string name = platform::fromFsPath(it->path().filename());
        if (!matchesFilePattern(name, namePattern)) {
            continue;
        }
        const std::string path = platform::joinPath(searchFolder, name);
        std::time_t written = 0;
        if (isListedFile(name, path, written)) {
            auto [time, date] = writeStamp(written);
            files.push_back({ name, path, std::move(time), std::move(date) });
        }
    }
    std::sort(files.begin(), files.end(),
        [](const SourceFile& a, const SourceFile& b) { return fileNameLess(a.name, b.name); });
    return files;
}

} // namespace commands
