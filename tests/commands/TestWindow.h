#pragma once

#include "commands/CommandView.h"
#include "commands/SourceFiles.h"
#include "config/Settings.h"

#include <functional>
#include <string>
#include <vector>

// The main window as a command sees it: the input folder's files with their ticks, the send
// button's caption, the BE/NL choice, the busy pointer and whether it was closed.
class TestWindow final : public commands::CommandView
{
public:
    explicit TestWindow(const config::Settings& settings)
        : m_settings(settings)
        , belgianChosen(settings.Webpagina == "YES" && settings.isBelgian())
    {
        refillList();
        refills = 0;
    }

    std::vector<std::string> tickedFiles() const override
    {
        std::vector<std::string> paths;
        for (size_t i = 0; i < files.size(); ++i) {
            if (ticks[i]) {
                paths.push_back(files[i].path);
            }
        }
        return paths;
    }
    void clearTicks() override { ticks.assign(files.size(), false); }
    void refillList() override
    {
        files = commands::listSourceFiles(m_settings.MapIn, m_settings.Extentie);
        ticks.assign(files.size(), false);
        if (!ticks.empty()) {
            ticks.front() = true;
        }
        ++refills;
    }
    void setSendCaption(const std::string& caption) override { captions.push_back(caption); }
    bool isBelgianShopChosen() const override
    {
        if (whenAskedForTheShop) {
            whenAskedForTheShop();
        }
        return belgianChosen;
    }
    void closeWindow() override { closed = true; }
    void beginBusy() override
    {
        ++busyDepth;
        ++busyStretches;
    }
    void endBusy() override { --busyDepth; }

    std::string caption() const { return captions.empty() ? "Order verzenden" : captions.back(); }

private:
    const config::Settings& m_settings;

public:
    std::vector<commands::SourceFile> files;
    std::vector<bool> ticks;
    std::vector<std::string> captions;
    bool belgianChosen = false;
    // Runs when the command asks for the shop, between the conversion and the post.
    std::function<void()> whenAskedForTheShop;
    bool closed = false;
    int busyDepth = 0;
    int busyStretches = 0;
    int refills = 0;
};
