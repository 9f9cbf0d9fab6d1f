// Text between the system's 8-bit code pages and the UTF-16 of the W
// functions: the one conversion the programs, the stand-in and the tests use.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace fw {

// What becomes of a character the code page lacks: the code page's nearest
// look-alike, or "?" so that no character turns silently into another one.
enum class Unmapped { kBestFit, kQuestionMark };

std::wstring Widen(std::string_view text, UINT codePage = CP_ACP);
std::string Narrow(std::wstring_view text, UINT codePage = CP_ACP,
                   Unmapped unmapped = Unmapped::kBestFit);

}  // namespace fw
