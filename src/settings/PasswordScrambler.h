#pragma once

#include <string>
#include <string_view>

namespace pell::settings {

// The reversible scrambling of passwords in settings.ini, SList.dat and Proxy.ini:
// byte i plus (or minus) key byte k modulo 256, the 17-letter key
// restarting at its first letter for every value. Same length in and out.
inline constexpr std::string_view PasswordKey = "qlvmrwpxzkdnbtjhc";

// Throws SettingsError when the scrambled form would hold CR, LF or NUL.
std::string EncodePassword(std::string_view plain);
std::string DecodePassword(std::string_view scrambled);

} // namespace pell::settings
