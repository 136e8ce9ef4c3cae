#pragma once

#include "doubles/TempFolder.h"
#include "platform/UserPrompts.h"
#include "settings/PasswordScrambler.h"
#include "settings/ServerList.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace pell::test {

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline unsigned modeOf(const std::string& path)
{
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

inline std::string golden(const std::string& relative)
{
    return readBytes(std::string(PELL_TEST_DATA) + "/settings/" + relative);
}

// One SList.dat entry; its password is "pw-" and the name, stored scrambled.
inline settings::Lines serverEntry(const std::string& name, const std::string& port = "6667",
                                   const std::string& autoConnect = "False")
{
    return {name, "host." + name, port, autoConnect, "nick", "Real " + name, "user",
            settings::EncodePassword("pw-" + name), "True", "False", "True", "False"};
}

inline settings::ServerList serverList(const std::vector<settings::Lines>& entries)
{
    settings::Lines lines;
    for (const auto& e : entries)
        lines.insert(lines.end(), e.begin(), e.end());
    return settings::ServerList(lines);
}

// Records every message the model shows.
class RecordingPrompts : public platform::UserPrompts {
public:
    void showError(const std::string& message) override { errors.push_back(message); }
    std::optional<std::string> askText(const std::string&, const std::string&, const std::string&) override { return {}; }
    bool askYesNo(const std::string&, const std::string& question) override
    {
        errors.push_back("ask: " + question);
        return yes;
    }
    std::vector<std::string> errors; // every message and question, in order
    bool yes = false;
};

} // namespace pell::test
