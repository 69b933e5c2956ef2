#include "runtime/TextFile.h"

#include <cerrno>
#include <cstring>

namespace quillon {

bool TextFile::failed()
{
    lastError_ = std::strerror(errno);
    return false;
}

bool TextFile::openForAppend(const std::string& path)
{
    close();
    errno = 0;
    file_ = std::fopen(path.c_str(), "ab");
    return file_ != nullptr || failed();
}

bool TextFile::write(const std::string& text)
{
    if (!file_)
        return false;
    return std::fwrite(text.data(), 1, text.size(), file_) == text.size() || failed();
}

bool TextFile::writeLine(const std::string& text)
{
    return write(text + "\r\n");
}

bool TextFile::close()
{
    if (!file_)
        return true;
    const bool flushed = std::fflush(file_) == 0 || failed();
    const bool closed = std::fclose(file_) == 0 || failed();
    file_ = nullptr;
    return flushed && closed;
}

}  // namespace quillon
