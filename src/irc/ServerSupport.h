#pragma once

#include <string>
#include <string_view>

namespace pell::irc {

// What a server announces in its 005 replies that changes how its lines read: the
// member prefixes with their mode letters, highest rank first ("PREFIX=(qaohv)~&@%+"),
// and which channel mode letters take a parameter ("CHANMODES=beI,k,l,imnpst"). A
// server that announces neither gets "(ov)@+", with b always taking a parameter and k
// and l only when set.
//
// A member's flags hold one bit per prefix mode, bit r for the mode of rank r, so with
// "(ov)@+" bit 0 is op and bit 1 voice. The nick list shows the highest prefix a member
// holds; the others are remembered in the flags, so losing op shows the voice again.
class ServerSupport {
public:
    // More prefixes than this in one announcement are not taken.
    static constexpr std::size_t MaxPrefixes = 16;

    // Reads one parameter of a 005 reply; other words are left alone, and a value that
    // does not parse keeps what was there. True when it changed something.
    bool Read(std::string_view token);

    const std::string& PrefixLetters() const { return letters_; }
    const std::string& PrefixSymbols() const { return symbols_; }
    // The flag bit of a prefix mode letter or symbol; 0 when it is none.
    int FlagOfLetter(char letter) const { return flagAt(letters_, letter); }
    int FlagOfSymbol(char symbol) const { return flagAt(symbols_, symbol); }
    // Whether a channel mode letter takes a parameter when set (adding) or removed.
    bool TakesParameter(char letter, bool adding) const;

    // The symbol shown for a member's flags: that of the highest mode held, or none.
    std::string_view ShownPrefix(int flags) const;
    // Takes every leading prefix symbol off a names entry and returns their flags. An
    // old-style "@nick+" also counts the "+" at its end.
    int TakePrefixes(std::string_view& entry) const;
    // The same modes as bits of this announcement, from flags of another one.
    int Translate(int flags, const ServerSupport& from) const;

    bool operator==(const ServerSupport&) const = default;

private:
    static int flagAt(const std::string& list, char c);
    bool readPrefix(std::string_view value);
    bool readChannelModes(std::string_view value);

    std::string letters_ = "ov";
    std::string symbols_ = "@+";
    // CHANMODES groups: list modes and those always taking a parameter, those taking one
    // only when set; the rest take none.
    std::string alwaysParameter_ = "b";
    std::string parameterWhenSet_ = "kl";
};

} // namespace pell::irc
