#include "settings/PasswordScrambler.h"

#include <gtest/gtest.h>

using namespace pell::settings;

namespace {

TEST(PasswordScrambler, KnownValues)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"abc", "\xd2\xce\xd9"},        // 97+113, 98+108, 99+118
        {"xyz", "\xe9\xe5\xf0"},
        {"\xff", "\x70"},               // 255 + 113 wraps to 112
        {std::string(1, '\0'), "q"},
    };
    for (const auto& [plain, scrambled] : cases) {
        EXPECT_EQ(EncodePassword(plain), scrambled);
        EXPECT_EQ(DecodePassword(scrambled), plain);
    }
}

TEST(PasswordScrambler, EighteenthCharacterUsesTheFirstKeyLetterAgain)
{
    const std::string plain(18, 'A');
    const std::string scrambled = EncodePassword(plain);
    ASSERT_EQ(scrambled.size(), 18u);
    EXPECT_EQ(static_cast<unsigned char>(scrambled[17]), static_cast<unsigned char>('A' + 'q'));
    EXPECT_EQ(scrambled[17], scrambled[0]);
    EXPECT_EQ(static_cast<unsigned char>(scrambled[16]), static_cast<unsigned char>('A' + 'c'));
}

TEST(PasswordScrambler, KeyRestartsForEveryValue)
{
    EXPECT_EQ(EncodePassword("a"), EncodePassword("a"));
    EXPECT_EQ(EncodePassword("ab").substr(0, 1), EncodePassword("a"));
}

TEST(PasswordScrambler, RoundTripForEveryByteValueAtEveryKeyPosition)
{
    for (std::size_t position = 0; position < PasswordKey.size(); ++position) {
        for (int byte = 0; byte < 256; ++byte) {
            std::string plain(position, 'x');
            plain += static_cast<char>(byte);
            const std::string scrambled = EncodePassword(plain);
            ASSERT_EQ(scrambled.size(), plain.size());
            ASSERT_EQ(DecodePassword(scrambled), plain) << "byte " << byte << " at " << position;
        }
    }
}

TEST(PasswordScrambler, RoundTripForLengthsAcrossTheKeyWrap)
{
    for (std::size_t length = 0; length <= 3 * PasswordKey.size() + 1; ++length) {
        std::string plain;
        for (std::size_t i = 0; i < length; ++i)
            plain += static_cast<char>((i * 37 + 200) % 256);
        EXPECT_EQ(DecodePassword(EncodePassword(plain)), plain) << length;
        EXPECT_EQ(EncodePassword(DecodePassword(plain)), plain) << length;
    }
}

TEST(PasswordScrambler, PrintablePasswordsNeverScrambleIntoLineEndsOrNul)
{
    for (std::size_t position = 0; position < PasswordKey.size(); ++position) {
        for (int c = 32; c <= 126; ++c) {
            std::string plain(position, ' ');
            plain += static_cast<char>(c);
            const auto byte = static_cast<unsigned char>(EncodePassword(plain).back());
            EXPECT_GE(byte, 129);
            EXPECT_LE(byte, 248);
        }
    }
}

} // namespace
