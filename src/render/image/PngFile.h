// PNG files of the renderer's pictures, with the figure's caption and
// parameters in text chunks so that a picture says how it was made.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "render/image/Image.h"

namespace quillon::render {

// Keyword (printable ASCII, 1 to 79 characters) and UTF-8 text, in file order.
using TextChunks = std::vector<std::pair<std::string, std::string>>;

// Writes an RGB picture of depth 8 or 16 with the text as uncompressed iTXt
// chunks, in the given order, before the image data. Nothing depends on the
// clock or the machine: the same picture and text give the same bytes.
// Throws std::runtime_error naming the file and the reason; what was written
// stays, so write to an OutputFile's temporary path.
void writePng(const std::string& path, const Image& image, const TextChunks& text);

// The same a band of rows at a time, top to bottom, so that a picture need
// never be whole in memory: the same rows give the same bytes as writePng.
// Throws as writePng does.
class PngWriter {
public:
    PngWriter(const std::string& path, int width, int height, int depth, const TextChunks& text);
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // The next rows: an image of the picture's width and depth.
    void write(const Image& rows);
    // After the last row.
    void finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

struct PngInfo {
    int width = 0, height = 0;
    int depth = 0;  // bits per sample as the file stores them
    TextChunks text;  // tEXt, zTXt and iTXt chunks, before and after the image data
};

// The header and the text of a PNG file. Nothing when the file cannot be read
// or is not a PNG; error then says which, naming the file.
std::optional<PngInfo> readPngInfo(const std::string& path, std::string& error);

// The most memory a picture read takes: 16384 x 16384 at 16 bits.
inline constexpr uint64_t kMaxPngBytes = 16384ull * 16384 * 6;

// Decodes any PNG (grey, palette, RGB, with or without alpha, 1 to 16 bits)
// into RGB of depth 8, or 16 for 16-bit files; alpha is dropped. A picture
// larger than kMaxPngBytes, or than its file can hold, is refused unread.
// Throws std::runtime_error naming the file and the reason.
Image readPng(const std::string& path);

}  // namespace quillon::render
