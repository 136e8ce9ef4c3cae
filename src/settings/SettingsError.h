#pragma once

#include <stdexcept>
#include <string>

namespace pell::settings {

// A failure while loading or saving settings; the text is shown to the user as it is.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A line that should hold a decimal integer but does not:
// "'abc' is not a valid integer value", the text every reader of a number shows.
class ConversionError : public SettingsError {
public:
    explicit ConversionError(const std::string& text);
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// A settings file that could not be written: 'Cannot create file "PATH". REASON'.
class FileWriteError : public SettingsError {
public:
    FileWriteError(const std::string& path, const std::string& reason);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace pell::settings
