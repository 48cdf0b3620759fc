#pragma once

#include "convert/Order.h"
#include "platform/Files.h"

#include <string>

namespace convert {

// The bytes of dtbs.xml for the order: "bcdata=" and the ISO-8859-1 cXML order request, every
// line ended by CR LF. Values are escaped (& < > ") so the document is always well-formed;
// values of TextOrigin::Utf8 and Windows1252 are converted to ISO-8859-1, with character
// references for what that cannot hold.
std::string orderDocument(const ORDER& order);
// The same bytes handed to the sink piece by piece.
void writeOrderDocument(const ORDER& order, platform::ByteSink& sink);

} // namespace convert
