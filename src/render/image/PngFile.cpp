#include "render/image/PngFile.h"

#include <png.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace quillon::render {
namespace {

// libpng reports an error by a longjmp back to the setjmp of the call that is
// running. Every function below that calls setjmp holds plain data only, so the
// jump skips no destructor; the structs and the file belong to a guard in the
// caller, which the jump never crosses.
struct PngError {
    char message[256] = "";
};

void onError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<PngError*>(png_get_error_ptr(png));
    std::snprintf(error->message, sizeof error->message, "%s", message);
    png_longjmp(png, 1);
}

// Warnings (a benign oddity in a file being read) change nothing we report.
void onWarning(png_structp, png_const_charp) {}

void onWrite(png_structp png, png_bytep data, size_t length)
{
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, file) != length)
        png_error(png, std::strerror(errno));
}

void onRead(png_structp png, png_bytep data, size_t length)
{
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fread(data, 1, length, file) != length)
        png_error(png, std::ferror(file) ? std::strerror(errno) : "the file is cut short");
}

void onFlush(png_structp png)
{
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fflush(file) != 0)
        png_error(png, std::strerror(errno));
}

std::runtime_error fileError(const std::string& path, const char* reason)
{
    return std::runtime_error(path + ": " + reason);
}

class FileGuard {
public:
    FileGuard(const std::string& path, const char* mode) : file_(std::fopen(path.c_str(), mode)) {}
    ~FileGuard()
    {
        if (file_)
            std::fclose(file_);
    }
    FileGuard(const FileGuard&) = delete;
    FileGuard& operator=(const FileGuard&) = delete;

    std::FILE* get() const { return file_; }
    // Closes now, so that a failure to flush the last bytes is seen.
    bool close()
    {
        std::FILE* file = file_;
        file_ = nullptr;
        return std::fclose(file) == 0;
    }

private:
    std::FILE* file_;
};

struct WriteGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~WriteGuard() { png_destroy_write_struct(&png, &info); }
};

struct ReadGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadGuard() { png_destroy_read_struct(&png, &info, nullptr); }
};

// Measured on 4096x3072 density pictures here: a speckled one (few hits a
// pixel) and a smooth one (many). zlib level 3 without row filters writes
// either in about 0.4 s at 7.6 and 8.3 MB. Filters suit only the smooth one
// (Up: 7.2 MB) and cost the speckled one 60% (12.1 MB), libpng's adaptive
// choice among them included; at 16 bits they add 60 to 90% to both. Level 6
// saves under 10% for three times the time. quillon-render-output-bench
// times the writer as it is.
constexpr int kCompressionLevel = 3;
constexpr int kFilters = PNG_FILTER_NONE;

// The header and the text, up to the first row.
bool startWriting(WriteGuard& guard, std::FILE* file, int width, int height, int depth, png_text* text,
                  int textCount, PngError& error)
{
    guard.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onError, onWarning);
    if (!guard.png || !(guard.info = png_create_info_struct(guard.png))) {
        std::snprintf(error.message, sizeof error.message, "out of memory");
        return false;
    }
    png_structp png = guard.png;
    png_infop info = guard.info;
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_set_write_fn(png, file, onWrite, onFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), depth,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_set_compression_level(png, kCompressionLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, kFilters);
    if (textCount > 0)
        png_set_text(png, info, text, textCount);
    png_write_info(png, info);
    return true;
}

bool writeRows(png_structp png, const Image& image, png_bytep row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    const size_t rowSamples = static_cast<size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        const uint16_t* samples = image.samples.data() + rowSamples * static_cast<size_t>(y);
        if (image.depth == 8) {
            for (size_t i = 0; i < rowSamples; ++i)
                row[i] = static_cast<png_byte>(std::min<uint16_t>(samples[i], 255));
        } else {
            for (size_t i = 0; i < rowSamples; ++i) {  // PNG samples are big-endian
                row[2 * i] = static_cast<png_byte>(samples[i] >> 8);
                row[2 * i + 1] = static_cast<png_byte>(samples[i] & 0xFF);
            }
        }
        png_write_row(png, row);
    }
    return true;
}

bool endWriting(png_structp png)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_end(png, nullptr);
    return true;
}

const char* imageProblem(const Image& image)
{
    if (image.width <= 0 || image.height <= 0)
        return "the picture is empty";
    if (image.depth != 8 && image.depth != 16)
        return "the picture's depth is neither 8 nor 16";
    if (image.samples.size() != static_cast<size_t>(image.width) * image.height * 3)
        return "the picture's samples do not match its size";
    return nullptr;
}

bool validKeyword(const std::string& keyword)
{
    if (keyword.empty() || keyword.size() > 79 || keyword.front() == ' ' || keyword.back() == ' ')
        return false;
    for (const char c : keyword)
        if (c < 32 || c > 126)
            return false;
    return true;
}

std::string latin1ToUtf8(const char* text)
{
    std::string result;
    for (const auto* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        if (*c < 0x80) {
            result += static_cast<char>(*c);
        } else {
            result += static_cast<char>(0xC0 | (*c >> 6));
            result += static_cast<char>(0x80 | (*c & 0x3F));
        }
    }
    return result;
}

TextChunks textOf(png_structp png, png_infop info)
{
    png_textp text = nullptr;
    const int count = png_get_text(png, info, &text, nullptr);
    TextChunks result;
    for (int i = 0; i < count; ++i) {
        // tEXt and zTXt hold Latin-1, iTXt UTF-8; keywords are always Latin-1.
        const bool international = text[i].compression == PNG_ITXT_COMPRESSION_NONE ||
                                   text[i].compression == PNG_ITXT_COMPRESSION_zTXt;
        result.emplace_back(latin1ToUtf8(text[i].key),
                            international ? std::string(text[i].text, text[i].itxt_length)
                                          : latin1ToUtf8(text[i].text));
    }
    return result;
}

bool createReader(ReadGuard& guard, PngError& error)
{
    guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, onError, onWarning);
    if (!guard.png || !(guard.info = png_create_info_struct(guard.png))) {
        std::snprintf(error.message, sizeof error.message, "out of memory");
        return false;
    }
    return true;
}

// The header and the chunks before the image data; the signature is read.
bool readHeader(ReadGuard& guard, std::FILE* file, PngError& error)
{
    if (!createReader(guard, error))
        return false;
    png_structp png = guard.png;
    png_infop info = guard.info;
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, file, onRead);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    return true;
}

// libpng reaches the chunks after the image data only through its rows; they
// are decoded one at a time and dropped, so a large picture costs no memory.
bool readEnd(ReadGuard& guard)
{
    png_structp png = guard.png;
    png_infop info = guard.info;
    if (setjmp(png_jmpbuf(png)))
        return false;
    const int passes = png_set_interlace_handling(png);
    png_start_read_image(png);
    const png_uint_32 height = png_get_image_height(png, info);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, nullptr, nullptr);
    png_read_end(png, info);
    return true;
}

// Sets the transforms to 8- or 16-bit RGB and returns the bytes of a row.
bool prepareRgb(ReadGuard& guard, size_t& rowBytes, int& depth)
{
    png_structp png = guard.png;
    png_infop info = guard.info;
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_expand(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    rowBytes = png_get_rowbytes(png, info);
    depth = png_get_bit_depth(png, info);
    return true;
}

bool readRows(ReadGuard& guard, png_bytepp rows)
{
    png_structp png = guard.png;
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

// Opens the file and checks the signature; the reason when either fails.
std::optional<std::string> openPng(FileGuard& file, const std::string& path)
{
    if (!file.get())
        return path + ": " + std::strerror(errno);
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0)
        return path + ": not a PNG file";
    // libpng takes a chunk's memory by the length its header gives (up to 2 GiB)
    // and clears it before it reads the chunk: a chunk that claims more than
    // the file has left is refused first. The image data is read a piece at a
    // time, so a file cut short in it is left for libpng to tell.
    struct stat info {};
    if (::fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    const auto size = static_cast<uint64_t>(info.st_size);
    for (uint64_t at = sizeof signature; at + 8 <= size;) {
        png_byte head[8];
        if (fseeko(file.get(), static_cast<off_t>(at), SEEK_SET) != 0 || std::fread(head, 1, 8, file.get()) != 8)
            break;
        const uint64_t length = png_get_uint_32(head);
        std::string type(reinterpret_cast<const char*>(head + 4), 4);
        if (type == "IEND")
            break;
        if (at + 12 + length > size) {
            if (type == "IDAT")
                break;
            for (char& c : type)
                c = std::isalpha(static_cast<unsigned char>(c)) ? c : '?';
            return path + ": damaged: its " + type + " chunk claims " + std::to_string(length) +
                   " bytes, more than the " + std::to_string(size - at) + " left in the file";
        }
        at += 12 + length;
    }
    if (fseeko(file.get(), sizeof signature, SEEK_SET) != 0)
        return path + ": " + std::strerror(errno);
    return std::nullopt;
}

}  // namespace

struct PngWriter::State {
    std::string path;
    int width = 0, height = 0, depth = 8;
    int rowsWritten = 0;
    FileGuard file;
    WriteGuard guard;
    PngError error;
    std::vector<png_byte> row;
    bool failed = false;

    explicit State(const std::string& p) : path(p), file(p, "wb") {}
    [[noreturn]] void fail()
    {
        failed = true;
        throw fileError(path, error.message);
    }
};

PngWriter::PngWriter(const std::string& path, int width, int height, int depth, const TextChunks& text)
{
    if (width <= 0 || height <= 0)
        throw fileError(path, "the picture is empty");
    if (depth != 8 && depth != 16)
        throw fileError(path, "the picture's depth is neither 8 nor 16");
    std::vector<png_text> chunks;
    for (const auto& [keyword, value] : text) {
        if (!validKeyword(keyword))
            throw fileError(path, ("bad text keyword \"" + keyword + "\"").c_str());
        if (value.find('\0') != std::string::npos)  // libpng would cut the text there
            throw fileError(path, ("text \"" + keyword + "\" holds a NUL character").c_str());
        chunks.push_back(png_text{.compression = PNG_ITXT_COMPRESSION_NONE,
                                  .key = const_cast<char*>(keyword.c_str()),
                                  .text = const_cast<char*>(value.c_str()),
                                  .text_length = 0,
                                  .itxt_length = value.size(),
                                  .lang = nullptr,
                                  .lang_key = nullptr});
    }
    errno = 0;
    state_ = std::make_unique<State>(path);
    if (!state_->file.get())
        throw fileError(path, std::strerror(errno));
    state_->width = width;
    state_->height = height;
    state_->depth = depth;
    state_->row.resize(static_cast<size_t>(width) * 3 * (depth / 8));
    if (!startWriting(state_->guard, state_->file.get(), width, height, depth, chunks.data(),
                      static_cast<int>(chunks.size()), state_->error))
        state_->fail();
}

PngWriter::~PngWriter() = default;

void PngWriter::write(const Image& rows)
{
    State& s = *state_;
    if (s.failed)
        throw fileError(s.path, "an earlier write failed");
    if (rows.width != s.width || rows.depth != s.depth ||
        rows.samples.size() != static_cast<size_t>(rows.width) * rows.height * 3 ||
        rows.height > s.height - s.rowsWritten)
        throw fileError(s.path, "rows of another shape than the picture's");
    if (!writeRows(s.guard.png, rows, s.row.data()))
        s.fail();
    s.rowsWritten += rows.height;
}

void PngWriter::finish()
{
    State& s = *state_;
    if (s.rowsWritten != s.height)
        throw fileError(s.path, "the picture's rows are not all written");
    if (!endWriting(s.guard.png))
        s.fail();
    png_destroy_write_struct(&s.guard.png, &s.guard.info);
    if (!s.file.close()) {
        std::snprintf(s.error.message, sizeof s.error.message, "%s", std::strerror(errno));
        s.fail();
    }
}

void writePng(const std::string& path, const Image& image, const TextChunks& text)
{
    if (const char* problem = imageProblem(image))
        throw fileError(path, problem);
    PngWriter writer(path, image.width, image.height, image.depth, text);
    writer.write(image);
    writer.finish();
}

std::optional<PngInfo> readPngInfo(const std::string& path, std::string& error)
{
    errno = 0;
    FileGuard file(path, "rb");
    if (const auto problem = openPng(file, path)) {
        error = *problem;
        return std::nullopt;
    }
    ReadGuard guard;
    PngError pngError;
    if (!readHeader(guard, file.get(), pngError) || !readEnd(guard)) {
        error = path + ": " + pngError.message;
        return std::nullopt;
    }
    return PngInfo{.width = static_cast<int>(png_get_image_width(guard.png, guard.info)),
                   .height = static_cast<int>(png_get_image_height(guard.png, guard.info)),
                   .depth = png_get_bit_depth(guard.png, guard.info),
                   .text = textOf(guard.png, guard.info)};
}

Image readPng(const std::string& path)
{
    errno = 0;
    FileGuard file(path, "rb");
    if (const auto problem = openPng(file, path))
        throw std::runtime_error(*problem);
    ReadGuard guard;
    PngError error;
    size_t rowBytes = 0;
    int depth = 0;
    if (!readHeader(guard, file.get(), error) || !prepareRgb(guard, rowBytes, depth))
        throw fileError(path, error.message);

    Image image{.width = static_cast<int>(png_get_image_width(guard.png, guard.info)),
                .height = static_cast<int>(png_get_image_height(guard.png, guard.info)),
                .depth = depth};
    // A header may claim a million pixels a side in a file of a hundred bytes.
    // Deflate packs at most 1032 bytes into one, and a pixel of one bit takes
    // 24 here: a picture larger than its file can hold is refused before its
    // memory is taken, and so is one larger than kMaxPngBytes.
    const uint64_t needed = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(image.height);
    std::error_code sizeError;
    const uint64_t fileBytes = std::filesystem::file_size(path, sizeError);
    if (needed > kMaxPngBytes || (!sizeError && needed / (24 * 1032) > fileBytes))
        throw fileError(path, ("its header says " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                               ", more than " +
                               (needed > kMaxPngBytes ? std::to_string(kMaxPngBytes >> 30) + " GiB"
                                                      : "a file of " + std::to_string(fileBytes) + " bytes can hold"))
                                  .c_str());
    std::vector<png_byte> bytes(rowBytes * static_cast<size_t>(image.height));
    std::vector<png_bytep> rows(static_cast<size_t>(image.height));
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = bytes.data() + y * rowBytes;
    if (!readRows(guard, rows.data()))
        throw fileError(path, error.message);

    const size_t rowSamples = static_cast<size_t>(image.width) * 3;
    image.samples.resize(rowSamples * image.height);
    uint16_t* sample = image.samples.data();
    for (const png_bytep row : rows)
        for (size_t i = 0; i < rowSamples; ++i)
            *sample++ = depth == 16 ? static_cast<uint16_t>(row[2 * i] << 8 | row[2 * i + 1]) : row[i];
    return image;
}

}  // namespace quillon::render
