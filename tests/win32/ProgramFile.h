#pragma once

#include <windows.h>

#include <string>

namespace tivrel::test {

// The tivrel.exe under test, as TIVREL_PROGRAM_FILE names it; empty when it is not set.
inline std::wstring programFile() {
    wchar_t value[1024];
    const DWORD length = GetEnvironmentVariableW(L"TIVREL_PROGRAM_FILE", value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

} // namespace tivrel::test
