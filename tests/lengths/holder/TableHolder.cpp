// The other process of the table-lock tests on Windows, where a test cannot fork: opens the table
// as asked, answers 'O' (opened) or 'X' on its output and keeps the table open until its input
// closes.
//
//     table_holder <lgt.dbf> shared|exclusive

#include "lengths/PipeLengthTable.h"
#include "platform/WideText.h"

#include <cstdio>
#include <string>

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

int main()
{
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count != 3) {
        return 2;
    }
    const std::string tablePath = platform::fromWide(args[1], wcslen(args[1]));
    const auto mode
        = std::wstring(args[2]) == L"exclusive" ? lengths::OpenMode::Exclusive : lengths::OpenMode::SharedReadOnly;
    LocalFree(args);

    lengths::PipeLengthTable table;
    const char status = table.open(tablePath, mode) == lengths::OpenStatus::Opened ? 'O' : 'X';
    std::fwrite(&status, 1, 1, stdout);
    std::fflush(stdout);
    char ignored = 0;
    while (std::fread(&ignored, 1, 1, stdin) == 1) { }
    return 0;
}
