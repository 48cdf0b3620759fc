#pragma once

#include "platform/Paths.h"

#include <filesystem>
#include <random>
#include <string>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir()
    {
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            m_path = base / ("transvo-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(m_path)) {
                break;
            }
        }
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The program's paths are UTF-8 on every system; a plain std::string would go through the
    // ANSI code page on Windows and hand back another name than the one asked for.
    std::string path() const { return platform::fromFsPath(m_path); }
    std::string file(const std::string& name) const { return platform::fromFsPath(m_path / platform::toFsPath(name)); }

private:
    std::filesystem::path m_path;
};

} // namespace testing_support
