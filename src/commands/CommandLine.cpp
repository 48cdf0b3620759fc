#include "commands/CommandLine.h"

#include "commands/OrderPreview.h"
#include "commands/WorkFolderLock.h"
#include "config/ConfigReader.h"
#include "convert/OrderDocument.h"
#include "platform/Deployment.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Paths.h"

#include <new>

namespace commands {

namespace {

constexpr const char* kUsage = "Gebruik:\n"
                               "  transvo --convert BESTAND [--out PAD]\n"
                               "      schrijft de dtbs.xml die Transvo voor BESTAND zou verzenden naar PAD\n"
                               "      (zonder --out naar de standaarduitvoer); er wordt niets verzonden\n"
                               "  transvo --preview BESTAND\n"
                               "      toont de order zoals \"Order bekijken\" hem toont, als tekst\n"
                               "  transvo --help\n"
                               "      toont deze hulp\n"
                               "De instellingen komen uit config.xml in de werkmap.\n";

// Every box the program would show becomes a line on standard error; a question is answered No,
// as nobody is there to answer it.
class StreamMessages final : public platform::Messages
{
public:
    explicit StreamMessages(std::ostream& err)
        : m_err(err)
    {
    }
    void error(const std::string& text) override { m_err << text << '\n'; }
    void message(const std::string& text, const std::string&, platform::MessageIcon) override { m_err << text << '\n'; }
    bool question(const std::string& text, const std::string&, platform::MessageIcon) override
    {
        m_err << text << '\n';
        return false;
    }

private:
    std::ostream& m_err;
};

struct Options
{
    std::string mode; // "--convert", "--preview" or "--help"
    std::string file;
    std::optional<std::string> out;
};

// The options, or nothing after saying on err what is wrong with them.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::ostream& err)
{
    Options options;
    options.mode = args.front();
    std::size_t at = 1;
    if (options.mode != "--help") {
        if (at >= args.size()) {
            err << "Geen bestand opgegeven bij " << options.mode << ".\n" << kUsage;
            return std::nullopt;
        }
        options.file = args[at++];
    }
    if (options.mode == "--convert" && at < args.size() && args[at] == "--out") {
        if (at + 1 >= args.size()) {
            err << "Geen pad opgegeven bij --out.\n" << kUsage;
            return std::nullopt;
        }
        options.out = args[at + 1];
        at += 2;
    }
    if (at < args.size()) {
        err << "Onbekend argument: " << args[at] << "\n" << kUsage;
        return std::nullopt;
    }
    return options;
}

int convertFile(const Options& options, const std::string& programFolder, const platform::Clock& clock,
    std::ostream& out, platform::Messages& messages)
{
    const std::string workFolder = platform::workFolder(programFolder);
    config::Settings settings;
    config::readConfig(workFolder, settings, messages);
    const platform::Deployment deployment
        = platform::readDeployment(platform::joinPath(programFolder, "deployment.ini"));
    const CommandContext context { settings, deployment, workFolder, programFolder, messages, clock };
    convert::Conversion conversion(settings, workFolder, messages, clock);
    const convert::ConvertedOrder converted = convertOrder(context, conversion, options.file);
    if (!converted.hasOrder) {
        messages.error("Geen data in " + options.file);
        return 1;
    }
    if (options.mode == "--preview") {
        out << convert::previewText(converted, webshopName(settings, settings.isBelgian()));
        return out.flush() ? 0 : 1;
    }
    if (options.out) {
        // The document holds the webshop password: readable by the user only, as in the work folder.
        const platform::WriteResult written = platform::replaceFileWith(
            *options.out,
            [&converted](platform::ByteSink& sink) { convert::writeOrderDocument(converted.order, sink); },
            platform::Access::OwnerOnly);
        if (!written) {
            messages.error("Fout bij aanmaken bestand " + *options.out + " " + written.osError);
            return 1;
        }
        return 0;
    }
    const std::string document = converted.document();
    out.write(document.data(), static_cast<std::streamsize>(document.size()));
    return out.flush() ? 0 : 1;
}

} // namespace

std::optional<int> runCommandLine(const std::vector<std::string>& args, const std::string& programFolder,
    const platform::Clock& clock, std::ostream& out, std::ostream& err)
{
    if (args.empty() || (args.front() != "--convert" && args.front() != "--preview" && args.front() != "--help")) {
        return std::nullopt;
    }
    const std::optional<Options> options = parseOptions(args, err);
    if (!options) {
        return 2;
    }
    if (options->mode == "--help") {
        out << kUsage;
        return 0;
    }
    StreamMessages messages(err);
    try {
        return convertFile(*options, programFolder, clock, out, messages);
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(messages);
        return 1;
    }
}

} // namespace commands
