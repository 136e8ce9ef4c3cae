#pragma once

#include <string>
#include <vector>

namespace pell::settings {

// The folder chooser's view of the file system: folders only, hidden ones
// (names starting with ".") left out. An unreadable or missing folder has none.

// The names of the folders directly inside `folder`, sorted without regard to case.
std::vector<std::string> subfolderNames(const std::string& folder);
// Whether `folder` holds at least one such folder (decides the expand mark).
bool hasSubfolders(const std::string& folder);
// `folder` and `name` joined by exactly one "/".
std::string childFolder(const std::string& folder, const std::string& name);

} // namespace pell::settings
