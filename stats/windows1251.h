// UTF-8 to Windows-1251, the code page of the event files. Our texts are written in UTF-8; the
// files must hold exactly the bytes the Windows-1251 code page gives for them, whatever code page
// the system runs with, so the conversion is done here and not by the system.
//
// Every character of the code page (ASCII, Cyrillic and the punctuation of the upper half: «»—№…)
// maps to its byte; any other character, and every byte of a malformed sequence, becomes '?'.
#pragma once

#include <string>
#include <string_view>

namespace stats {

std::string utf8_to_windows1251(std::string_view utf8);

}  // namespace stats
