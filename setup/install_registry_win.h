// Registry edits of the installation steps beyond reading and writing single values: keys opened
// or created below an open key, a key removed with everything below it, and the UTF-16 form of
// the UTF-8 texts the steps store (through setup_registry_win.h's write_text_value).
//
// Stateless; any thread.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles_win.h"

namespace installation {

// Opens `name` below `parent` for reading and writing, creating it when missing; `created`, when
// given, tells whether it had to be created. Empty on failure (the error is traced).
platform::UniqueKey create_key(HKEY parent, const char* name, bool* created = nullptr);

// Deletes `name` below `parent` together with all its subkeys, children first (systems before
// Vista lack a call for it). True when the key is gone, also when it never existed.
bool delete_key_tree(HKEY parent, const char* name);

std::wstring to_utf16(const char* utf8);

}  // namespace installation
