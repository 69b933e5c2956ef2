#include "runtime/TextFile.h"

namespace quillon {

bool TextFile::openForAppend(const std::string& path)
{
    close();
    file_ = std::fopen(path.c_str(), "ab");
    return file_ != nullptr;
}

bool TextFile::write(const std::string& text)
{
    if (!file_)
        return false;
    return std::fwrite(text.data(), 1, text.size(), file_) == text.size();
}

bool TextFile::writeLine(const std::string& text)
{
    return write(text + "\r\n");
}

bool TextFile::close()
{
    if (!file_)
        return true;
    const bool flushed = std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return flushed && closed;
}

}  // namespace quillon
