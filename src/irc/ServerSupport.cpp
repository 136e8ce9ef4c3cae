#include "irc/ServerSupport.h"

namespace pell::irc {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A prefix symbol is a visible character that cannot start a nick or split a names list.
bool isSymbol(char c)
{
    return c > ' ' && c < 0x7F && !isLetter(c) && !(c >= '0' && c <= '9') && c != ':' && c != ',';
}

bool allUnique(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text.find(text[i], i + 1) != std::string_view::npos)
            return false;
    return true;
}

std::string lettersOf(std::string_view group)
{
    std::string letters;
    for (const char c : group)
        if (isLetter(c))
            letters += c;
    return letters;
}

} // namespace

int ServerSupport::flagAt(const std::string& list, char c)
{
    const std::size_t at = list.find(c);
    return at == std::string::npos ? 0 : 1 << at;
}

bool ServerSupport::Read(std::string_view token)
{
    // "-PREFIX" withdraws an announcement: back to what a silent server gets.
    if (token == "-PREFIX")
        return readPrefix("(ov)@+");
    if (token == "-CHANMODES")
        return readChannelModes("b,,kl,");
    if (token.starts_with("PREFIX="))
        return readPrefix(token.substr(7));
    if (token.starts_with("CHANMODES="))
        return readChannelModes(token.substr(10));
    return false;
}

// "(ohv)@%+"; an empty value means no prefixes at all.
bool ServerSupport::readPrefix(std::string_view value)
{
    std::string_view letters;
    std::string_view symbols;
    if (!value.empty()) {
        const std::size_t close = value.find(')');
        if (value.front() != '(' || close == std::string_view::npos)
            return false;
        letters = value.substr(1, close - 1);
        symbols = value.substr(close + 1);
    }
    if (letters.size() != symbols.size() || letters.size() > MaxPrefixes || !allUnique(letters) ||
        !allUnique(symbols))
        return false;
    for (std::size_t i = 0; i < letters.size(); ++i)
        if (!isLetter(letters[i]) || !isSymbol(symbols[i]))
            return false;
    if (letters == letters_ && symbols == symbols_)
        return false;
    letters_.assign(letters);
    symbols_.assign(symbols);
    return true;
}

// "beI,k,l,imnpst": list modes, modes always with a parameter, modes with one when set,
// modes without; groups after the fourth take none either.
bool ServerSupport::readChannelModes(std::string_view value)
{
    std::string groups[3];
    for (std::string& group : groups) {
        const std::size_t comma = value.find(',');
        group = lettersOf(value.substr(0, comma));
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
    std::string always = groups[0] + groups[1];
    if (always == alwaysParameter_ && groups[2] == parameterWhenSet_)
        return false;
    alwaysParameter_ = std::move(always);
    parameterWhenSet_ = std::move(groups[2]);
    return true;
}

bool ServerSupport::TakesParameter(char letter, bool adding) const
{
    if (FlagOfLetter(letter) != 0 || alwaysParameter_.find(letter) != std::string::npos)
        return true;
    return adding && parameterWhenSet_.find(letter) != std::string::npos;
}

std::string_view ServerSupport::ShownPrefix(int flags) const
{
    for (std::size_t rank = 0; rank < symbols_.size(); ++rank)
        if (flags & (1 << rank))
            return std::string_view(symbols_).substr(rank, 1);
    return {};
}

int ServerSupport::TakePrefixes(std::string_view& entry) const
{
    int flags = 0;
    while (!entry.empty()) {
        const int flag = FlagOfSymbol(entry.front());
        if (flag == 0)
            break;
        flags |= flag;
        entry.remove_prefix(1);
    }
    if (flags != 0 && !entry.empty()) {
        if (const int last = FlagOfSymbol(entry.back()); last != 0) {
            flags |= last;
            entry.remove_suffix(1);
        }
    }
    return flags;
}

int ServerSupport::Translate(int flags, const ServerSupport& from) const
{
    int translated = 0;
    for (std::size_t rank = 0; rank < from.letters_.size(); ++rank)
        if (flags & (1 << rank))
            translated |= FlagOfLetter(from.letters_[rank]);
    return translated;
}

} // namespace pell::irc
