#include "session/RtfFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace pell::session {

std::string RtfFileName(const std::string& chosen)
{
    const auto dot = chosen.rfind('.');
    const auto slash = chosen.rfind('/');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    if (hasExtension && chosen.compare(dot, std::string::npos, ".rtf") == 0)
        return chosen;
    return chosen + ".rtf";
}

void WriteFileReplacing(const std::string& path, const std::string& bytes)
{
    const std::string temporary = path + ".part";
    auto fail = [&](int error) {
        std::remove(temporary.c_str());
        throw std::runtime_error("Cannot create file \"" + path + "\". " + std::strerror(error));
    };
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        fail(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeError = errno;
    if (std::fclose(file) != 0 || !written)
        fail(written ? errno : writeError);
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        fail(errno);
}

} // namespace pell::session
