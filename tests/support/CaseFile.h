#pragma once

#include <map>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pell::test {

// One case of a data file: its name and the lines under each key, in file order.
struct Case {
    std::string name;
    std::map<std::string, std::vector<std::string>> fields;

    bool has(const std::string& key) const { return fields.count(key) != 0; }
    // Every line under the key; none when it is absent.
    std::vector<std::string> lines(const std::string& key) const;
    // The first line under the key, or the fallback when it is absent.
    std::string one(const std::string& key, const std::string& fallback = "") const;
};

// Reads the cases of a file under tests/data. Format: "== name" starts a case, "key: value"
// adds a line under the key ("key:" alone adds an empty one), "#" at the start of a line
// is a comment, blank lines are skipped. In names and values "\xNN" is that byte; any
// other backslash stands for itself, so RTF reads as written. A missing or empty file
// fails the test that reads it.
std::vector<Case> readCases(const std::string& relative);
std::string unescape(std::string_view text);

// FNV-1a over the lines, each ended by a line feed: a table's fingerprint, so that a
// wrong, missing or swapped word anywhere in it changes the number.
std::uint64_t checksumOf(const std::vector<std::string>& lines);

} // namespace pell::test
