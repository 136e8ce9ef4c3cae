// Linked into every program that starts the windows: the program registers itself as
// the desktop's irc:// handler at every start, which must never reach the desktop of
// whoever runs the tests. Each run gets fresh XDG folders of its own.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct DesktopSandbox {
    std::string folder;

    DesktopSandbox()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pell-xdg-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
        ::setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    }
    ~DesktopSandbox()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

const DesktopSandbox sandbox;

} // namespace
