#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "render/image/PngFile.h"
#include "support/InTempDirectory.h"

namespace quillon::render {
namespace {

using testing::bytesOf;
using testing::saveBytes;

std::string bigEndian(uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

// A chunk with its length and CRC, to splice into a file that writePng made.
std::string chunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size());
    return bigEndian(static_cast<uint32_t>(data.size())) + body + bigEndian(static_cast<uint32_t>(crc));
}

Image sampleImage(int depth)
{
    Image image = Image::blank(3, 2, depth);
    for (size_t i = 0; i < image.samples.size(); ++i)
        image.samples[i] = static_cast<uint16_t>(depth == 16 ? i * 4099 % 65536 : i * 37 % 256);
    return image;
}

TEST(RenderPng, WritesAndReadsBackSamplesAndTextInOrder)
{
    testing::InTempDirectory dir;
    const TextChunks text = {{"Title", "Hénon — a = 1.4"}, {"Software", "quillon-render"},
                             {"Comment", ""}};
    for (const int depth : {8, 16}) {
        const Image image = sampleImage(depth);
        writePng("out.png", image, text);
        const Image back = readPng("out.png");
        EXPECT_EQ(back.width, 3);
        EXPECT_EQ(back.height, 2);
        EXPECT_EQ(back.depth, depth);
        EXPECT_EQ(back.samples, image.samples);

        std::string error;
        const auto info = readPngInfo("out.png", error);
        ASSERT_TRUE(info) << error;
        EXPECT_EQ(info->width, 3);
        EXPECT_EQ(info->height, 2);
        EXPECT_EQ(info->depth, depth);
        EXPECT_EQ(info->text, text);
    }
}

TEST(RenderPng, SameInputGivesSameBytesWithAnExactHeaderAndNoTime)
{
    testing::InTempDirectory dir;
    const Image image = sampleImage(16);
    writePng("a.png", image, {{"Title", "x"}});
    writePng("b.png", image, {{"Title", "x"}});
    const std::string bytes = bytesOf("a.png");
    EXPECT_EQ(bytes, bytesOf("b.png"));
    const std::string header = std::string("\x89PNG\r\n\x1a\n", 8) +
                               chunk("IHDR", bigEndian(3) + bigEndian(2) + std::string("\x10\x02\0\0\0", 5));
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    EXPECT_EQ(bytes.find("tIME"), std::string::npos);
    EXPECT_NE(bytes.find(chunk("iTXt", std::string("Title\0\0\0\0\0x", 11))), std::string::npos);
}

TEST(RenderPng, InfoReadsLatinAndCompressedTextAfterTheImageData)
{
    testing::InTempDirectory dir;
    writePng("plain.png", sampleImage(8), {{"Title", "first"}});
    std::string bytes = bytesOf("plain.png");
    std::string compressed(64, '\0');
    uLongf size = compressed.size();
    compress(reinterpret_cast<Bytef*>(compressed.data()), &size,
             reinterpret_cast<const Bytef*>("squeezed"), 8);
    compressed.resize(size);
    const std::string trailing = chunk("tEXt", std::string("Author\0caf\xe9", 11)) +
                                 chunk("zTXt", std::string("Comment\0\0", 9) + compressed);
    bytes.insert(bytes.size() - 12, trailing);  // before IEND
    saveBytes("spliced.png", bytes);

    std::string error;
    const auto info = readPngInfo("spliced.png", error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->text, (TextChunks{{"Title", "first"}, {"Author", "café"}, {"Comment", "squeezed"}}));
}

TEST(RenderPng, ReadExpandsGreyPaletteAndAlphaToRgb)
{
    testing::InTempDirectory dir;
    struct Row { uint32_t format; std::vector<uint8_t> pixels; std::vector<uint8_t> colormap;
                 std::vector<uint16_t> rgb; };
    const Row rows[] = {
        {PNG_FORMAT_GRAY, {0, 128}, {}, {0, 0, 0, 128, 128, 128}},
        {PNG_FORMAT_RGBA, {10, 20, 30, 0, 40, 50, 60, 255}, {}, {10, 20, 30, 40, 50, 60}},
        {PNG_FORMAT_RGB_COLORMAP, {1, 0}, {200, 100, 0, 5, 6, 7}, {5, 6, 7, 200, 100, 0}},
    };
    for (const Row& row : rows) {
        png_image fixture{.version = PNG_IMAGE_VERSION, .width = 2, .height = 1, .format = row.format,
                          .colormap_entries = static_cast<png_uint_32>(row.colormap.size() / 3)};
        ASSERT_TRUE(png_image_write_to_file(&fixture, "fixture.png", 0, row.pixels.data(), 0,
                                            row.colormap.empty() ? nullptr : row.colormap.data()));
        const Image image = readPng("fixture.png");
        EXPECT_EQ(image.depth, 8) << row.format;
        EXPECT_EQ(image.samples, row.rgb) << row.format;
    }
}

TEST(RenderPng, FailuresNameTheFileAndTheReason)
{
    testing::InTempDirectory dir;
    saveBytes("text.png", "hello, not a picture");
    writePng("whole.png", sampleImage(8), {});
    saveBytes("cut.png", bytesOf("whole.png").substr(0, 60));

    struct Row { const char* path; const char* reason; };
    const Row unreadable[] = {
        {"missing.png", "No such file or directory"},
        {"text.png", "not a PNG file"},
        {"cut.png", "the file is cut short"},
    };
    for (const Row& row : unreadable) {
        std::string error;
        EXPECT_FALSE(readPngInfo(row.path, error)) << row.path;
        EXPECT_EQ(error, std::string(row.path) + ": " + row.reason);
        try {
            readPng(row.path);
            ADD_FAILURE() << row.path << " was read";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(e.what(), error);
        }
    }

    Image wrongSize = sampleImage(8);
    wrongSize.samples.pop_back();
    Image wrongDepth = sampleImage(8);
    wrongDepth.depth = 12;
    struct WriteRow { std::string path; Image image; TextChunks text; const char* reason; };
    const WriteRow unwritable[] = {
        {"no/such/folder/x.png", sampleImage(8), {}, "No such file or directory"},
        {"size.png", wrongSize, {}, "do not match"},
        {"depth.png", wrongDepth, {}, "depth"},
        {"empty.png", Image{}, {}, "empty"},
        {"key.png", sampleImage(8), {{"", "x"}}, "keyword"},
        {"key2.png", sampleImage(8), {{"Tab\there", "x"}}, "keyword"},
        {"nul.png", sampleImage(8), {{"Title", std::string("a\0b", 3)}}, "NUL"},
        {"/dev/full", sampleImage(8), {}, "No space left on device"},
    };
    for (const WriteRow& row : unwritable) {
        try {
            writePng(row.path, row.image, row.text);
            ADD_FAILURE() << row.path << " was written";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(row.path), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(row.reason), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace quillon::render
