// The code page tables behind AnsiCodePage (generated into codepagetables.cpp).
#pragma once

namespace Zanto::CodePageTables {

struct Table
{
    // Names the code page is known by, the canonical one first; unused
    // slots are null.
    const char *names[4];
    // Unicode value of each byte 128-255; bytes 0-127 are ASCII.
    char16_t upper[128];
};

extern const Table tables[];
extern const int tableCount;

} // namespace Zanto::CodePageTables
