#pragma once

#include "ScopedEnv.h"
#include "TempDir.h"
#include "platform/Files.h"
#include "transfer/WebshopPeer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// What an order travels through, all real: an input folder, a work folder, a program folder with
// the build's own pipe-length table, and two local webshops (one per branch), shared by a suite.
// The browser is xdg-open on PATH: a script that notes what it was asked to open.
class SendOrderWorld : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_belgian = new WebshopPeer();
        s_dutch = new WebshopPeer();
    }
    static void TearDownTestSuite()
    {
        delete s_belgian;
        delete s_dutch;
    }

    SendOrderWorld()
        : m_path("PATH", (m_home.file("bin") + ":" + std::getenv("PATH")).c_str())
    {
        std::filesystem::create_directories(m_work);
        std::filesystem::create_directories(m_input);
        std::filesystem::create_directories(m_home.file("bin"));
        writeText(m_home.file("bin/xdg-open"),
            "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + m_home.file("opened.txt") + "'\nexit $(cat '"
                + m_home.file("xdg-exit") + "' 2>/dev/null || echo 0)\n");
        std::filesystem::permissions(m_home.file("bin/xdg-open"), std::filesystem::perms::owner_all);
        for (const char* name : { "lgt.dbf", "lgt.CDX" }) {
            std::filesystem::copy_file(std::string(TRANSVO_BIN_DIR) + "/" + name, m_program.file(name));
        }
    }

    void SetUp() override
    {
#ifdef _WIN32
        GTEST_SKIP() << "the browser is watched as xdg-open on PATH; Windows opens through the shell, "
                        "which would start the real browser";
#endif
        ASSERT_TRUE(s_belgian->isRunning()) << s_belgian->log();
        ASSERT_TRUE(s_dutch->isRunning()) << s_dutch->log();
        s_belgian->reset();
        s_dutch->reset();
    }

    static void writeText(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    void addInput(const std::string& name, const std::string& text = "3125021;12\r\n8212503;2,5\r\n")
    {
        writeText(m_input + "/" + name, text);
    }
    // The browser's exit code from now on; 0 is a start.
    void setBrowserExit(int code)
    {
        writeText(m_home.file("xdg-exit"), std::to_string(code) + "\n");
    }
    void forgetOpened()
    {
        std::filesystem::remove(m_home.file("opened.txt"));
    }

    // What the browser was asked to open, one line each.
    std::string opened() const
    {
        return platform::readFile(m_home.file("opened.txt")).value_or("");
    }
    std::string document() const
    {
        return platform::readFile(m_work + "/dtbs.xml").value_or("");
    }
    static std::string body(WebshopPeer& shop)
    {
        return WireRequest::parse(shop.lastRequest()).body;
    }

    static inline WebshopPeer* s_belgian = nullptr;
    static inline WebshopPeer* s_dutch = nullptr;

    testing_support::TempDir m_home;
    testing_support::TempDir m_program;
    const std::string m_programFolder = m_program.path();
    const std::string m_work = m_home.file("VARO");
    const std::string m_input = m_home.file("in");
    testing_support::ScopedEnv m_path;
};
