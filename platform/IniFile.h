#pragma once

#include <string>

namespace platform {

// One value of an INI file, as GetPrivateProfileStringW reads it into a
// buffer of 2048 UTF-16 units: section and key names compared ignoring case,
// blanks around names and values trimmed, Default when anything is missing.
std::u16string ReadIniString(const std::u16string& FileName, const std::u16string& Section,
                             const std::u16string& Key, const std::u16string& Default);

}
