#pragma once

#include "config/Settings.h"
#include "platform/Messages.h"

#include <string>
#include <string_view>

namespace xml {
class XmlDocument;
}

namespace config {

// Reads config.xml from the work folder into the record, which is not cleared first: only the
// elements found overwrite fields. Failures are shown through messages as they happen (no file,
// no parser, a document that does not load). Returns true when a CONFIG element with content
// was applied.
bool readConfig(const std::string& workFolder, Settings& settings, platform::Messages& messages);

// The same from the document's bytes, for callers that hold them already.
bool readConfigBytes(std::string_view bytes, Settings& settings, platform::Messages& messages);

// Applies the first //VARO_XML/CONFIG of a loaded document. False when there is none or it is
// empty; the record is then untouched.
bool applyConfig(const xml::XmlDocument& document, Settings& settings);

} // namespace config
