#pragma once

#include <cstdint>
#include <string>

namespace pell::session {

// A line's time in local time, as shown in front of it: "[HH:MM] ".
std::string TimeStamp(std::int64_t unixSeconds);
// The same with the date, as logs carry it: "YYYY-MM-DD HH:MM:SS".
std::string LogTime(std::int64_t unixSeconds);

} // namespace pell::session
