#pragma once
// Where the programs take DLLs and system programs from. Windows looks in the program's own folder first for any
// DLL that is not one of its KnownDLLs and for a program started by bare name, so a file placed beside an
// elevated program would run with its rights. Everything here comes from the system folder only.
#include <windows.h>

#include <string>

namespace win32 {

// Drops the program's folder and the current folder from the DLL search of this process. Call first in
// wWinMain, before anything loads a DLL.
void RestrictDllSearch();

// The system folder (System32; for a 32-bit program on 64-bit Windows the system maps it to SysWOW64).
std::wstring SystemFolder();

// Loads `name` from the system folder only; nullptr when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Loads a DLL of ours by its full path; DLLs it needs come from its own folder and the system folder.
HMODULE LoadLibraryByFullPath(const std::wstring& path);

}  // namespace win32
