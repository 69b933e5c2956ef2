#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfOutputFile.h>
#include <ImfRgbaFile.h>
#include <ImfStdIO.h>
#include <ImfStringAttribute.h>
#include <ImfVersion.h>
#include <ImfXdr.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "render/image/PngFile.h"
#include "render/look/CountsFile.h"
#include "support/InTempDirectory.h"

namespace quillon::render {
namespace {

namespace Imf = OPENEXR_IMF_NAMESPACE;

using testing::bytesOf;
using testing::saveBytes;

// A grid of width x height with counts, and sums when asked, spread over the
// whole range of their types; a small random generator of our own.
CountsFileData grid(int width, int height, bool values, bool directions)
{
    CountsFileData data{.width = width, .height = height};
    uint64_t state = 0x9E3779B97F4A7C15u * static_cast<uint64_t>(width * 31 + height);
    const auto next = [&] {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return state;
    };
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < n; ++i) {
        data.counts.push_back(static_cast<uint32_t>(next()));
        if (values)
            data.valueSums.push_back(next());
        if (directions) {
            data.cosSums.push_back(static_cast<int64_t>(next()));
            data.sinSums.push_back(static_cast<int64_t>(next()));
        }
    }
    return data;
}

TEST(CountsFile, RoundTripsExactly)
{
    testing::InTempDirectory dir;
    constexpr uint32_t kMaxCount = std::numeric_limits<uint32_t>::max();
    constexpr uint64_t kMaxSum = std::numeric_limits<uint64_t>::max();
    constexpr int64_t kLeast = std::numeric_limits<int64_t>::min();
    constexpr int64_t kMost = std::numeric_limits<int64_t>::max();
    const CountsFileData edges{
        .width = 3, .height = 2,
        .counts = {0, 1, (1u << 24) + 1, kMaxCount - 1, kMaxCount, 0x80000000u},
        .valueSums = {0, kMaxSum, kMaxSum - 1, uint64_t{1} << 32, 0xFFFFFFFFu, uint64_t{1} << 63},
        .cosSums = {kLeast, kMost, -1, -(int64_t{1} << 32), 0xFFFFFFFF, 0},
        .sinSums = {-(int64_t{1} << 31), kLeast + 1, 1, -2, kMost - 1, 0x100000000},
        .text = {{"quillon:figure", "Hénon"}, {"quillon:caption", "a = 1.4 b = 0.3"}},
    };
    CountsFileData countsOnly = edges;
    countsOnly.valueSums.clear();
    countsOnly.cosSums.clear();
    countsOnly.sinSums.clear();
    CountsFileData valuesOnly = edges;
    valuesOnly.cosSums.clear();
    valuesOnly.sinSums.clear();
    CountsFileData directionsOnly = edges;
    directionsOnly.valueSums.clear();
    // Text of any bytes but NUL, of any length, comes back ordered by key.
    CountsFileData text{.width = 2, .height = 1, .counts = {7, 0}};
    text.text = {
        {"quillon:zeta", "last by key, first given"},
        {"quillon:with spaces", "  leading and trailing  "},
        {"quillon:día", "Ünïcödé — 渦 ✓"},
        {"quillon:empty", ""},
        {"quillon:long", std::string(100000, 'x')},
        {"quillon:" + std::string(247, 'k'), "a key of 255 bytes"},
    };

    const CountsFileData rows[] = {
        edges, countsOnly, valuesOnly, directionsOnly, text,
        grid(1, 1, true, true),
        grid(70001, 2, true, true),  // rows wider than a block of conversion
        grid(300, 701, true, true),  // several blocks, the last one short
        grid(29, 4001, false, true),
    };
    for (const CountsFileData& data : rows) {
        SCOPED_TRACE(std::to_string(data.width) + "x" + std::to_string(data.height));
        writeCountsFile("counts.exr", data);
        const CountsFileData back = readCountsFile("counts.exr");
        EXPECT_EQ(back.width, data.width);
        EXPECT_EQ(back.height, data.height);
        EXPECT_TRUE(back.counts == data.counts);
        EXPECT_TRUE(back.valueSums == data.valueSums);
        EXPECT_TRUE(back.cosSums == data.cosSums);
        EXPECT_TRUE(back.sinSums == data.sinSums);
        TextChunks sorted = data.text;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(back.text, sorted);
    }

    // Nothing of the clock or the machine: the same data gives the same bytes.
    writeCountsFile("again.exr", rows[7]);
    writeCountsFile("counts.exr", rows[7]);
    EXPECT_EQ(bytesOf("again.exr"), bytesOf("counts.exr"));
}

// The file as other programs see it: an ordinary scan-line EXR whose float
// channels show the density, the mean colour and the mean direction.
TEST(CountsFile, OtherProgramsSeeTheDensityAndMeans)
{
    testing::InTempDirectory dir;
    const CountsFileData data{.width = 2, .height = 2, .counts = {0, 1, 1000, 3},
                              .valueSums = {0, 65535, 1000 * 32768ull, 3},
                              .cosSums = {0, -32767, 1000 * 16384ll, 0},
                              .sinSums = {0, 32767, 0, -3 * 32767}};
    writeCountsFile("look.exr", data);

    Imf::InputFile file("look.exr");
    const Imf::Header& header = file.header();
    EXPECT_EQ(header.compression(), Imf::ZIP_COMPRESSION);
    EXPECT_EQ(header.dataWindow(), header.displayWindow());
    EXPECT_EQ(header.dataWindow(), IMATH_NAMESPACE::Box2i({0, 0}, {1, 1}));
    EXPECT_EQ(header.typedAttribute<Imf::StringAttribute>("quillon:counts").value(), "1");
    std::vector<float> channels[4];
    const char* names[] = {"Y", "colour", "direction.x", "direction.y"};
    Imf::FrameBuffer frame;
    for (int c = 0; c < 4; ++c) {
        channels[c].resize(4);
        frame.insert(names[c], Imf::Slice::Make(Imf::FLOAT, channels[c].data(), header.dataWindow()));
    }
    file.setFrameBuffer(frame);
    file.readPixels(0, 1);
    EXPECT_EQ(channels[0], (std::vector<float>{0, 1, 1000, 3}));
    EXPECT_EQ(channels[1], (std::vector<float>{0, 1, static_cast<float>(32768 / 65535.0),
                                               static_cast<float>(1 / 65535.0)}));
    EXPECT_EQ(channels[2], (std::vector<float>{0, -1, static_cast<float>(16384 / 32767.0), 0}));
    EXPECT_EQ(channels[3], (std::vector<float>{0, 1, 0, -1}));

    // Viewers built on the RGBA interface show Y as grey.
    Imf::RgbaInputFile rgba("look.exr");
    EXPECT_EQ(rgba.channels(), Imf::WRITE_Y);
    std::vector<Imf::Rgba> pixels(4);
    rgba.setFrameBuffer(pixels.data(), 1, 2);
    rgba.readPixels(0, 1);
    EXPECT_EQ(static_cast<float>(pixels[2].g), 1000.0f);
}

// An OpenEXR header alone, as a forger would write it; nothing after it.
void writeHeaderOnly(const std::string& path, const Imf::Header& header, int flags = 0)
{
    Imf::StdOSStream out;
    Imf::Xdr::write<Imf::StreamIO>(out, Imf::MAGIC);
    Imf::Xdr::write<Imf::StreamIO>(out, Imf::EXR_VERSION | flags);
    header.writeTo(out);
    saveBytes(path, out.str());
}

// A whole OpenEXR file of zeros with the given channels, as another program
// (or an older or damaged one of ours) might write.
void writeOther(const std::string& path, const Imf::Header& header)
{
    Imf::OutputFile file(path.c_str(), header);
    const auto window = header.dataWindow();
    std::vector<uint32_t> zeros(static_cast<size_t>(window.max.x + 1) * (window.max.y + 1));
    Imf::FrameBuffer frame;
    for (auto i = header.channels().begin(); i != header.channels().end(); ++i)
        frame.insert(i.name(), Imf::Slice::Make(i.channel().type, zeros.data(), window, 4, 0,
                                                i.channel().xSampling, i.channel().ySampling));
    file.setFrameBuffer(frame);
    file.writePixels(window.max.y + 1);
}

Imf::Header headerOf(int width, int height, std::vector<std::pair<const char*, Imf::Channel>> channels,
                     const char* marker = "1")
{
    Imf::Header header(width, height);
    for (const auto& [name, channel] : channels)
        header.channels().insert(name, channel);
    if (marker)
        header.insert("quillon:counts", Imf::StringAttribute(marker));
    return header;
}

TEST(CountsFile, RefusesWithOneLineNamingTheFile)
{
    testing::InTempDirectory dir;
    const Imf::Channel uint(Imf::UINT);
    writePng("picture.exr", Image::blank(2, 2, 8), {});
    saveBytes("empty.exr", "");
    writeCountsFile("whole.exr", grid(64, 64, true, false));
    const std::string whole = bytesOf("whole.exr");
    saveBytes("cut.exr", whole.substr(0, whole.size() / 2));
    saveBytes("cut-in-header.exr", whole.substr(0, 40));
    // Chunks that do not compress are stored as they are, unchecked; the end
    // of a compressed one holds zlib's checksum.
    CountsFileData plain{.width = 64, .height = 64, .counts = std::vector<uint32_t>(64 * 64, 7)};
    writeCountsFile("plain.exr", plain);
    std::string garbled = bytesOf("plain.exr");
    std::fill(garbled.end() - 4, garbled.end(), '\x55');
    saveBytes("garbled.exr", garbled);
    std::string bloated = whole;  // the marker's size field claims 2 GiB
    const std::string markerField("quillon:counts\0string\0", 22);
    bloated.replace(bloated.find(markerField) + markerField.size(), 4, "\xff\xff\xff\x7f");
    saveBytes("bloated.exr", bloated);
    std::filesystem::create_directory("folder.exr");

    writeOther("foreign.exr", headerOf(4, 4, {{"count", uint}}, nullptr));
    writeOther("future.exr", headerOf(4, 4, {{"count", uint}}, "2"));
    writeOther("no-count.exr", headerOf(4, 4, {{"Y", Imf::Channel(Imf::FLOAT)}}));
    writeOther("float-count.exr", headerOf(4, 4, {{"count", Imf::Channel(Imf::FLOAT)}}));
    writeOther("half-sum.exr", headerOf(4, 4, {{"count", uint}, {"value.hi", Imf::Channel(Imf::HALF)}}));
    writeOther("lone-sin.exr", headerOf(4, 4, {{"count", uint}, {"sin.lo", uint}, {"sin.hi", uint}}));
    writeOther("sampled.exr", headerOf(4, 4, {{"count", Imf::Channel(Imf::UINT, 2, 1)}}));
    writeHeaderOnly("wide.exr", headerOf(kCountsMaxSide + 1, 1, {{"count", uint}}));
    writeHeaderOnly("huge.exr", headerOf(65536, 32769, {{"count", uint}}));
    Imf::Header absurd = headerOf(1, 1, {{"count", uint}}, nullptr);
    absurd.dataWindow() = absurd.displayWindow() = {{-(1 << 30), -5}, {(1 << 30) - 1, 1 << 30}};
    writeHeaderOnly("absurd.exr", absurd);
    absurd.insert("quillon:counts", Imf::StringAttribute("1"));
    writeHeaderOnly("absurd-ours.exr", absurd);
    writeHeaderOnly("tiled.exr", headerOf(4, 4, {{"count", uint}}), Imf::TILED_FLAG);

    struct Row { const char* path; const char* reason; };
    const Row rows[] = {
        {"missing.exr", "No such file or directory"},
        {"folder.exr", "not a regular file"},
        {"picture.exr", "not an OpenEXR file"},
        {"empty.exr", "not an OpenEXR file (it is empty)"},
        {"cut.exr", "the file is cut short"},
        {"cut-in-header.exr", "the file is cut short"},
        {"garbled.exr", "damaged OpenEXR file"},
        {"bloated.exr", "a header attribute runs past its end"},
        {"foreign.exr", "not QUILLON counts (no quillon:counts attribute)"},
        {"absurd.exr", "not QUILLON counts"},
        {"tiled.exr", "not QUILLON counts: it is tiled"},
        {"future.exr", "format 2; this program reads format 1"},
        {"no-count.exr", "the channel \"count\" is missing"},
        {"float-count.exr", "the channel \"count\" holds FLOAT, not UINT"},
        {"half-sum.exr", "the channel \"value.lo\" is missing"},
        {"lone-sin.exr", "the channel \"cos.lo\" is missing"},
        {"sampled.exr", "\"count\" is sampled 2x1"},
        {"wide.exr", "262141x1 is outside the limits: each side 1 to 262140"},
        {"huge.exr", "65536x32769 is over the limit of 2147483648 pixels"},
        {"absurd-ours.exr", "2147483648x1073741830 is outside the limits"},
    };
    for (const Row& row : rows) {
        try {
            readCountsFile(row.path);
            ADD_FAILURE() << row.path << " was read";
        } catch (const CountsFileError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind(std::string(row.path) + ": ", 0), 0u) << message;
            EXPECT_NE(message.find(row.reason), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
}

TEST(CountsFile, WriteRefusesWhatCouldNotBeReadBack)
{
    testing::InTempDirectory dir;
    const CountsFileData good = grid(3, 2, true, true);
    const auto with = [&](auto change) {
        CountsFileData data = good;
        change(data);
        return data;
    };
    struct Row { std::string path; CountsFileData data; const char* reason; };
    const Row rows[] = {
        {"short.exr", with([](auto& d) { d.counts.pop_back(); }), "5 counts do not match the grid of 3x2"},
        {"sums.exr", with([](auto& d) { d.valueSums.push_back(0); }), "value sums do not match"},
        {"cos.exr", with([](auto& d) { d.sinSums.clear(); }), "direction sums do not match"},
        {"empty.exr", CountsFileData{}, "0x0 is outside the limits"},
        {"wide.exr", CountsFileData{.width = kCountsMaxSide + 1, .height = 1}, "outside the limits"},
        {"huge.exr", CountsFileData{.width = 65536, .height = 32769}, "over the limit of 2147483648"},
        {"prefix.exr", with([](auto& d) { d.text = {{"Title", "x"}}; }), "does not begin with quillon:"},
        {"marker.exr", with([](auto& d) { d.text = {{"quillon:counts", "2"}}; }), "is the file's own"},
        {"twice.exr", with([](auto& d) { d.text = {{"quillon:a", "1"}, {"quillon:a", "2"}}; }), "given twice"},
        {"nul.exr", with([](auto& d) { d.text = {{"quillon:a", std::string("x\0y", 3)}}; }), "holds a NUL"},
        {"long.exr", with([](auto& d) { d.text = {{"quillon:" + std::string(248, 'k'), ""}}; }), "over 255 bytes"},
        {"no/such/folder/c.exr", good, "No such file or directory"},
        {"/dev/full", good, "No space left on device"},
    };
    for (const Row& row : rows) {
        try {
            writeCountsFile(row.path, row.data);
            ADD_FAILURE() << row.path << " was written";
        } catch (const std::runtime_error& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind(row.path + ": ", 0), 0u) << message;
            EXPECT_NE(message.find(row.reason), std::string::npos) << message;
        }
    }
}

}  // namespace
}  // namespace quillon::render
