// Linked into every program that starts the windows: the program registers itself as
// the desktop's irc:// handler at every start, which must never reach the desktop of
// whoever runs the tests. Each run gets fresh XDG folders of its own.
#include "doubles/TempFolder.h"

#include <cstdlib>

namespace {

struct DesktopSandbox {
    pell::test::TempFolder folder;

    DesktopSandbox()
    {
        ::setenv("XDG_DATA_HOME", folder.file("data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", folder.file("config").c_str(), 1);
    }
};

const DesktopSandbox sandbox;

} // namespace
