#include "app/SourceFiles.h"

#include "platform/Clock.h"
#include "platform/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

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

std::string localTime(const QDateTime& when)
{
    return when.toLocalTime().time().toString(QStringLiteral("HH:mm:ss")).toStdString();
}

std::string localDate(const QDateTime& when)
{
    const QDate date = when.toLocalTime().date();
    return platform::formatDate({ date.year(), date.month(), date.day() });
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

std::vector<SourceFile> listSourceFiles(const std::string& folder, const std::string& pattern)
{
    // Without an input folder the path would point at the root or the current folder, whose
    // files are nobody's orders.
    if (folder.empty()) {
        return {};
    }
    std::string searchFolder = folder;
    std::string namePattern = pattern;
    const size_t cut = pattern.find_last_of(std::string("/") + platform::separator());
    if (cut != std::string::npos) {
        searchFolder = platform::joinPath(folder, pattern.substr(0, cut));
        namePattern = pattern.substr(cut + 1);
    }

    std::vector<SourceFile> files;
    // Without QDir::Hidden and QDir::System, hidden files, sockets, pipes and devices stay out.
    const QDir dir(QString::fromStdString(searchFolder));
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        const std::string name = entry.fileName().toStdString();
        if (!matchesFilePattern(name, namePattern)) {
            continue;
        }
        const QDateTime written = entry.lastModified();
        files.push_back({ name, platform::joinPath(searchFolder, name), localTime(written), localDate(written) });
    }
    std::sort(files.begin(), files.end(),
        [](const SourceFile& a, const SourceFile& b) { return fileNameLess(a.name, b.name); });
    return files;
}
