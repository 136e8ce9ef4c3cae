#include "settings/PasswordScrambler.h"

#include "settings/SettingsError.h"

namespace pell::settings {

namespace {

std::string scramble(std::string_view input, int direction)
{
    std::string output(input.size(), '\0');
    for (std::size_t i = 0; i < input.size(); ++i) {
        const auto byte = static_cast<unsigned char>(input[i]);
        const auto key = static_cast<unsigned char>(PasswordKey[i % PasswordKey.size()]);
        output[i] = static_cast<char>(static_cast<unsigned char>(byte + direction * key));
    }
    return output;
}

} // namespace

std::string EncodePassword(std::string_view plain)
{
    std::string scrambled = scramble(plain, +1);
    // Some letters at some positions scramble to a line end or NUL, which the file's
    // line format cannot hold.
    if (scrambled.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        throw SettingsError("This password cannot be saved: in the settings file it would break its line. "
                            "Please choose another password.");
    return scrambled;
}

std::string DecodePassword(std::string_view scrambled)
{
    return scramble(scrambled, -1);
}

} // namespace pell::settings
