#include "lengths/LengthsUpdate.h"

#include "lengths/PipeLengthTable.h"
#include "lengths/TableSwap.h"
#include "lengths/UpdateList.h"
#include "lengths/UpdateSource.h"
#include "lengths/UpdateVersionFile.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <optional>
#include <string_view>
#include <thread>

namespace lengths {

namespace {

constexpr const char* kOrder = "MT_ARTNR";

} // namespace

LengthsUpdate::LengthsUpdate(std::string programFolder, std::string hostPort, const platform::Clock& clock,
    platform::Messages& messages, UpdateProgress& progress, std::string extraCaFile)
    : m_programFolder(std::move(programFolder))
    , m_dataFolder(platform::dataFolder(m_programFolder))
    , m_hostPort(std::move(hostPort))
    , m_extraCaFile(std::move(extraCaFile))
    , m_clock(clock)
    , m_messages(messages)
    , m_progress(progress)
{
}

bool LengthsUpdate::run()
{
    m_failed = false;
    m_version.clear();
    m_listRows = 0;
    m_progress.clearPipeline();
    // What an update stopped mid-write left in the folder it rewrites.
    platform::removeLeftoverTemporaries(m_dataFolder);
    download();
    if (!m_failed) {
        rebuild();
    }
    if (!m_failed) {
        recordVersion();
    }
    finish();
    return !m_failed;
}

// The new table is in use by now: a version that cannot be recorded is told as such, and the run
// still ends as the success it is for the table.
void LengthsUpdate::recordVersion()
{
    UpdateVersionFile versionFile(m_programFolder);
    if (versionFile.write(m_version, m_clock.today()) != UpdateVersionFile::Recorded::InFile) {
        m_messages.error(
            versionFile.failureText() + "\nDe nieuwe buislengten (versie " + m_version + ") zijn wel in gebruik.");
    }
    m_recordedStatus = "Versie " + m_version;
}

void LengthsUpdate::showRestingState(const std::string& programFolder, UpdateProgress& progress)
{
    progress.clearPipeline();
    for (int step = 1; step <= 4; ++step) {
        progress.markStep(step, true);
    }
    progress.showEnd(false);
    UpdateVersionFile versionFile(programFolder);
    versionFile.read();
    progress.setStatus(versionFile.statusText());
}

void LengthsUpdate::download()
{
    beginStep("Download");
    const std::string downloadPath = path("lgt_download.csv");
    const platform::WriteResult stored
        = platform::replaceFile(downloadPath, UpdateSource(m_hostPort, m_extraCaFile).fetch());
    if (!stored || platform::fileSize(downloadPath) == 0) {
        fail("Geen rechten of foutieve download");
    } else if (const std::optional<std::string> bytes = platform::readFile(downloadPath); !bytes) {
        fail("Fout bij openen lgt_download.csv");
    } else {
        acceptList(*bytes);
    }
    if (platform::fileExists(downloadPath) && !platform::removeFile(downloadPath)) {
        m_messages.error(path("lgt_download.csv bestand niet gewist."));
    }
    markStep(1);
}

// lgt.csv is written only for a list accepted whole, so a refused one leaves the copy that
// matches the table in use.
void LengthsUpdate::acceptList(std::string_view bytes)
{
    const UpdateList list = parseUpdateList(bytes, articleWidth());
    if (list.fault == UpdateList::Fault::InvalidVersionLine || list.fault == UpdateList::Fault::Implausible) {
        fail("Ongeldige tekens in dowload");
        return;
    }
    if (list.fault == UpdateList::Fault::MissingComma) {
        fail("Ontbrekende tekens in dowload");
        return;
    }
    m_listRows = list.rows;
    // A list without rows would empty lgt.csv, which still matches the table in use.
    if (list.rows == 0) {
        m_version = list.version;
        return;
    }
    if (const platform::WriteResult written = platform::replaceFile(path("lgt.csv"), list.csv); !written) {
        fail("Fout bij aanmaken lgt.csv " + written.osError);
        return;
    }
    m_version = list.version;
}

// A step that fails ends the table work: the steps after it would only work on a table that is
// thrown away.
void LengthsUpdate::rebuild()
{
    // A killed update's half-done swap is completed first; its table is the one cleared below.
    finishInterruptedSwap(m_dataFolder);
    removeAsideFiles();
    PipeLengthTable original;
    PipeLengthTable aside;
    clear(original, aside);
    markStep(2);
    if (!m_failed) {
        fill(aside);
        markStep(3);
    }
    if (!m_failed) {
        index(aside);
        if (!m_failed) {
            replaceTable(original);
        }
        markStep(4);
    }
    aside.close();
    original.close();
    removeAsideFiles();
}

// Holding the real table exclusively keeps conversions and other copies out until the new one
// is in place; the new table starts empty with the real one's field layout.
void LengthsUpdate::clear(PipeLengthTable& original, PipeLengthTable& aside)
{
    beginStep("Clear");
    if (original.open(path("lgt.dbf"), OpenMode::Exclusive) != OpenStatus::Opened) {
        fail(PipeLengthTable::inUseText(m_dataFolder));
        return;
    }
    const DbfTable* current = original.table();
    if (current == nullptr || !aside.create(path(kAsideTable), current->fields()) || !aside.zap()) {
        fail("lgt.dbf ERROR ZAP");
        return;
    }
    if (!aside.pack()) {
        fail("lgt.dbf ERROR PACK");
    }
}

void LengthsUpdate::fill(PipeLengthTable& aside)
{
    beginStep("Update");
    const std::string csvPath = path("lgt.csv");
    if (m_listRows == 0 || !platform::fileExists(csvPath) || platform::fileSize(csvPath) == 0) {
        fail(path("lgt.csv bestand niet gevonden."));
        return;
    }
    if (!aside.appendDelimited(csvPath)) {
        fail("ERROR AppendDelimited " + csvPath);
    }
}

void LengthsUpdate::index(PipeLengthTable& aside)
{
    beginStep("Create order");
    const std::string indexPath = PipeLengthTable::indexPathFor(aside.tablePath());
    if (!aside.createOrder(kOrder, indexPath, kOrder) || !aside.commit()) {
        fail("lgt.dbf ERROR Createorder " + path("lgt.CDX"));
        return;
    }
    if (!aside.setOrder(kOrder, indexPath)) {
        fail("ERROR Setorder MT_ARTNR " + path("lgt.CDX"));
        return;
    }
    // Closing writes whatever is still pending; a table that did not reach the disk whole must
    // not be swapped in.
    if (!aside.close()) {
        fail("lgt.dbf ERROR Createorder " + path("lgt.CDX"));
    }
}

// Index first, table second; should the table's rename fail, the old index goes back so the
// pair stays matched.
void LengthsUpdate::replaceTable(PipeLengthTable& original)
{
    const std::string tablePath = path("lgt.dbf");
    const std::string indexPath = PipeLengthTable::indexPathFor(tablePath);
    const std::optional<std::string> oldIndex = platform::readFile(indexPath);
#ifdef _WIN32
    // Windows refuses to rename over an open file; POSIX keeps our lock until the swap is done.
    original.close();
#endif
    TableSwap swap(m_dataFolder);
    if (!swap.begin()) {
        fail("Fout bij vervangen lgt.CDX " + swap.errorText());
        return;
    }
    std::string error;
    if (!platform::renameFile(PipeLengthTable::indexPathFor(path(kAsideTable)), indexPath, &error)) {
        fail("Fout bij vervangen lgt.CDX " + error);
        return;
    }
    if (!platform::renameFile(path(kAsideTable), tablePath, &error)) {
        if (oldIndex) {
            platform::replaceFile(indexPath, *oldIndex);
        } else {
            platform::removeFile(indexPath);
        }
        fail("Fout bij vervangen lgt.dbf " + error);
        return;
    }
    original.close();
}

void LengthsUpdate::finish()
{
    if (!m_failed) {
        m_progress.setStatus("Gereed");
        m_progress.showEnd(true);
        m_progress.setStatus(m_recordedStatus);
    } else {
        m_progress.showEnd(false);
        m_progress.setStatus("Error");
    }
}

void LengthsUpdate::beginStep(const std::string& status)
{
    m_progress.setStatus(status);
    if (m_pause.count() > 0 && m_wait) {
        m_wait(m_pause);
    } else if (m_pause.count() > 0) {
        std::this_thread::sleep_for(m_pause);
    }
}

void LengthsUpdate::markStep(int step)
{
    m_progress.markStep(step, !m_failed);
}

void LengthsUpdate::fail(const std::string& text)
{
    m_messages.error(text);
    m_failed = true;
}

std::size_t LengthsUpdate::articleWidth() const
{
    const auto fields = PipeLengthTable::fieldsOf(path("lgt.dbf"));
    return fields && !fields->empty() && fields->front().type == 'C' ? fields->front().width : 0;
}

std::string LengthsUpdate::path(const std::string& name) const
{
    return platform::joinPath(m_dataFolder, name);
}

void LengthsUpdate::removeAsideFiles() const
{
    for (const std::string& file : { path(kAsideTable), PipeLengthTable::indexPathFor(path(kAsideTable)) }) {
        if (platform::fileExists(file)) {
            platform::removeFile(file);
        }
    }
}

} // namespace lengths
