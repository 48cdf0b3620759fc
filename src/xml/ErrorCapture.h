#pragma once

#include <libxml/xmlerror.h>

#include <string>

namespace xml {

// Collects libxml2's errors for the current thread while it lives and puts back whatever
// handlers were installed before, so nothing reaches stderr and other users keep theirs.
class ErrorCapture
{
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    bool hasError() const { return m_hasError; }
    // The first error's text, trimmed; only errors count, not warnings.
    const std::string& firstError() const { return m_first; }

private:
    static void record(void* self, xmlErrorPtr error);

    xmlStructuredErrorFunc m_structured;
    void* m_structuredContext;
    xmlGenericErrorFunc m_generic;
    void* m_genericContext;
    bool m_hasError = false;
    std::string m_first;
};

} // namespace xml
