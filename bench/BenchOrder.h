#pragma once

#include <cstddef>
#include <string>

namespace bench {

// An order document as the program posts it, with lines of the usual size.
inline std::string order(std::size_t lines)
{
    std::string text = "bcdata=<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<cXML><Header><From><Credential "
                       "domain=\"billToAddressCode\"><Identity>K1</Identity><Secret>s</Secret></Credential></From>"
                       "</Header><Request DirectERP=\"0\"><OrderRequest><OrderRequestHeader type=\"new\">"
                       "</OrderRequestHeader>\r\n";
    for (std::size_t i = 1; i <= lines; ++i) {
        text += "    <ItemOut lineNumber=\"" + std::to_string(i)
            + "\" requestedDeliveryDate=\"2026-12-10\" quantity=\"12\">\r\n      <ItemID>\r\n"
              "        <SupplierPartID>1234567</SupplierPartID>\r\n      </ItemID>\r\n    </ItemOut>\r\n";
    }
    return text + "    </OrderRequest>\r\n  </Request>\r\n</cXML>\r\n";
}

} // namespace bench
