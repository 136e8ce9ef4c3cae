#include "settings/SettingsError.h"

namespace pell::settings {

ConversionError::ConversionError(const std::string& text)
    : SettingsError("'" + text + "' is not a valid integer value"), text_(text)
{
}

FileWriteError::FileWriteError(const std::string& path, const std::string& reason)
    : SettingsError("Cannot create file \"" + path + "\". " + reason), path_(path)
{
}

} // namespace pell::settings
