#include "settings/PasswordScrambler.h"

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
    return scramble(plain, +1);
}

std::string DecodePassword(std::string_view scrambled)
{
    return scramble(scrambled, -1);
}

} // namespace pell::settings
