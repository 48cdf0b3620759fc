#pragma once

#include "lengths/UpdateProgress.h"
#include "platform/Clock.h"
#include "platform/Messages.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace lengths {

class PipeLengthTable;

// The pipe-length update: downloads the published list from the update server, checks it,
// writes lgt.csv and rebuilds lgt.dbf and lgt.CDX from it, in four steps shown on an
// UpdateProgress. Every failure is reported through Messages as an error box.
//
// The new table is built aside in the program folder and replaces lgt.dbf and lgt.CDX only
// when every step succeeded, so a refused list or a failing step leaves the old table in use;
// lgt_versie.txt records the new version only then. A refused list leaves lgt.csv as it was.
class LengthsUpdate
{
public:
    // extraCaFile: a PEM bundle trusted besides the system's CAs for an https update host.
    LengthsUpdate(std::string programFolder, std::string hostPort, const platform::Clock& clock,
        platform::Messages& messages, UpdateProgress& progress, std::string extraCaFile = {});

    // The pause after each step's status text, so the user can follow the steps; 500 ms unless
    // set.
    void setPause(std::chrono::milliseconds pause) { m_pause = pause; }
    // How a pause is waited: the thread sleeps unless set. A test records the pauses instead of
    // timing them.
    void setWait(std::function<void(std::chrono::milliseconds)> wait) { m_wait = std::move(wait); }

    // Runs the whole update. Returns true when every step succeeded.
    bool run();

    // The state the update controls rest in when the page opens: the whole intact pipeline with
    // the plain end piece, and "Versie " with the version of lgt_versie.txt.
    static void showRestingState(const std::string& programFolder, UpdateProgress& progress);

private:
    void download();
    void acceptList(std::string_view bytes);
    void rebuild();
    void clear(PipeLengthTable& original, PipeLengthTable& aside);
    void fill(PipeLengthTable& aside);
    void index(PipeLengthTable& aside);
    void replaceTable(PipeLengthTable& original);
    void recordVersion();
    void finish();

    void beginStep(const std::string& status);
    void markStep(int step);
    void fail(const std::string& text);
    std::string path(const std::string& name) const;
    void removeAsideFiles() const;
    // The width of the installed table's article field; 0 when it cannot be read (the clear
    // step then fails on that table anyway).
    std::size_t articleWidth() const;

    std::string m_programFolder;
    std::string m_dataFolder; // where the files it rewrites lie
    std::string m_hostPort;
    std::string m_extraCaFile;
    const platform::Clock& m_clock;
    platform::Messages& m_messages;
    UpdateProgress& m_progress;
    std::chrono::milliseconds m_pause { 500 };
    std::function<void(std::chrono::milliseconds)> m_wait;

    bool m_failed = false;
    std::string m_version; // of the accepted list
    std::size_t m_listRows = 0;
    std::string m_recordedStatus; // the status after success: the version now in use
};

} // namespace lengths
