#include "support/CaseFile.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>

namespace pell::test {

std::vector<std::string> Case::lines(const std::string& key) const
{
    const auto found = fields.find(key);
    return found == fields.end() ? std::vector<std::string>{} : found->second;
}

std::string Case::one(const std::string& key, const std::string& fallback) const
{
    const auto found = fields.find(key);
    return found == fields.end() ? fallback : found->second.front();
}

std::string unescape(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && std::isxdigit(static_cast<unsigned char>(text[i + 2]))
            && std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<Case> readCases(const std::string& relative)
{
    std::ifstream in(std::string(PELL_TEST_DATA) + "/" + relative);
    std::vector<Case> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line.rfind("== ", 0) == 0) {
            cases.push_back({unescape(line.substr(3)), {}});
            continue;
        }
        const auto colon = line.find(':');
        if (cases.empty() || colon == std::string::npos) {
            ADD_FAILURE() << relative << ": stray line " << line;
            continue;
        }
        const std::size_t start = colon + (line.size() > colon + 1 && line[colon + 1] == ' ' ? 2 : 1);
        cases.back().fields[line.substr(0, colon)].push_back(unescape(line.substr(start)));
    }
    EXPECT_FALSE(cases.empty()) << "no cases in " << relative;
    return cases;
}

std::uint64_t checksumOf(const std::vector<std::string>& lines)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const std::string& line : lines)
        for (const char c : line + "\n") {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
    return hash;
}

} // namespace pell::test
