#include "xml/ErrorCapture.h"

#include <libxml/globals.h>

namespace xml {

namespace {

std::string trimmed(std::string text)
{
    const char* blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

void ignoreGenericError(void*, const char*, ...) { }

} // namespace

ErrorCapture::ErrorCapture()
    : m_structured(xmlStructuredError)
    , m_structuredContext(xmlStructuredErrorContext)
    , m_generic(xmlGenericError)
    , m_genericContext(xmlGenericErrorContext)
{
    xmlSetStructuredErrorFunc(this, &ErrorCapture::record);
    xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
}

ErrorCapture::~ErrorCapture()
{
    xmlSetStructuredErrorFunc(m_structuredContext, m_structured);
    xmlSetGenericErrorFunc(m_genericContext, m_generic);
}

void ErrorCapture::record(void* self, xmlErrorPtr error)
{
    auto* capture = static_cast<ErrorCapture*>(self);
    // Warnings (an unusual namespace name, say) do not make a document unusable.
    if (error == nullptr || error->level < XML_ERR_ERROR || capture->m_hasError) {
        return;
    }
    capture->m_hasError = true;
    capture->m_first = trimmed(error->message == nullptr ? std::string() : std::string(error->message));
    if (capture->m_first.empty()) {
        capture->m_first = "error " + std::to_string(error->code);
    }
}

} // namespace xml
