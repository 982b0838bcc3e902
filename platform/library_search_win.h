// Where the system looks for a DLL that a program or a system library loads by its name alone. By
// default that includes the current folder and the folders of PATH, where another user may have
// put a DLL of that name for a process running as SYSTEM to load.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Narrows the search to the program's own folder and System32 (SetDefaultDllDirectories, from
// Windows 8 on and on Vista and 7 with its update); where the system lacks that, at least takes the
// current folder out (SetDllDirectory with an empty folder, from XP SP1 on). Both looked up at run
// time. Called first thing by a program, before anything loads a library.
void restrict_library_search();

// The full path of `file` in the system's folder (System32, or SysWOW64 for a 32-bit process on
// 64-bit Windows); empty when the folder cannot be read.
std::wstring system_file_path(const wchar_t* file);

// LoadLibraryW of the system's own `file`, by its full path.
HMODULE load_system_library(const wchar_t* file);

}  // namespace platform
