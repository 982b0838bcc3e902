// Opening files where another user may have planted a link (a junction, a symbolic link, a second
// name given by a hard link): the statistics archive and the debug trace. The service runs as
// SYSTEM and must never be made to write through such a link to a place of the planter's choosing.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "platform/handles_win.h"

namespace platform {

// The folder of `path` and the rest, from its last separator on: C:\Logs\x.txt gives C:\Logs and
// \x.txt; C:\x.txt gives C:\ and \x.txt; x.txt gives . and \x.txt.
std::pair<std::string, std::string> folder_and_name(const std::string& path);

// True when `path` exists and is a reparse point (junction, symbolic link, mount point).
bool is_link(const char* path);

// Where an open file or folder really is, links resolved, as the system's NT path; empty when the
// system cannot say. From Vista on the system's final path of the handle; before Vista (Windows XP
// and Server 2003 lack that call) the name of the opened object, which the system also gives as
// reached after following links.
std::wstring final_path(HANDLE object);
// The name of the opened object: final_path's way on systems before Vista.
std::wstring object_name_path(HANDLE object);

// CreateFileA of `base` + `relative` (which starts with a backslash) that writes only to the file
// those name: a link at the file itself or at a folder between `base` and it is refused before
// opening, and the file is opened without following one; then the handle's final path must be `base`'s final path followed by `relative`
// (a link anywhere below `base` shows there, one above it, an administrator's choice, resolves
// alike on both sides), and the file must have no second name. When a final path cannot be read
// the file is refused. An empty handle with ERROR_CANT_ACCESS_FILE when refused (a file it created
// may be left behind, empty).
UniqueHandle create_file_below(const std::string& base, const std::string& relative, DWORD access, DWORD share,
                               DWORD disposition);

// The same with `path`'s own folder as the base.
UniqueHandle create_file_not_following(const std::string& path, DWORD access, DWORD share, DWORD disposition);

}  // namespace platform
