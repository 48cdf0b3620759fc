#pragma once

namespace xml {

// Makes libxml2 read (and write) documents declared as windows-1252 (or cp1252) with the
// program's own code page table rather than the system's converter: Windows builds of libxml2
// have no iconv, and so the same bytes give the same text on every platform.
void registerWindows1252Encoding();

} // namespace xml
