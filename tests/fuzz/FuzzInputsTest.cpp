// Every seed and every input a fuzzer once failed on, through the same checks
// the fuzz targets run (fuzz/checks), built with the ordinary compiler.
#include <CLI/CLI.hpp>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <zlib.h>

#include "checks/FuzzCheck.h"
#include "render/cli/Options.h"
#include "render/engine/FigureChoice.h"
#include "render/engine/Render.h"
#include "render/video/Video.h"
#include "render/image/PngFile.h"
#include "render/image/UsageError.h"
#include "render/look/CountsFile.h"
#include "runtime/NumberFormat.h"
#include "runtime/Numeric.h"

namespace {

namespace fs = std::filesystem;

// A scratch file of this test process's own, its extension kept: the suite
// runs tests side by side, each in a process of its own, and two must not
// share a file.
fs::path scratchPath(const std::string& name)
{
    const fs::path given(name);
    return fs::temp_directory_path() /
           (given.stem().string() + "-" + std::to_string(::getpid()) + given.extension().string());
}

using namespace quillon::fuzz;

struct Target {
    const char* name;
    CheckFn check;
};

const Target kTargets[] = {
    {"caption", checkCaption},           {"caption_file", checkCaptionFile}, {"picture_text", checkPictureText},
    {"png_file", checkPngFile},          {"video_tag", checkVideoTag},       {"counts_file", checkCountsFile},
    {"gradient", checkGradient},         {"command_line", checkCommandLine}, {"prompt_number", checkPromptNumber},
};

std::vector<fs::path> inputsOf(const std::string& target)
{
    std::vector<fs::path> files;
    for (const char* folder : {"corpus", "regressions"}) {
        const fs::path dir = fs::path(QUILLON_FUZZ_DIR) / folder / target;
        if (fs::is_directory(dir))
            for (const auto& entry : fs::directory_iterator(dir))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string bytesOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FuzzInputs : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzInputs, EveryKeptInputPassesItsCheck)
{
    // Run in a folder of its own: the command line's plans look at files around them.
    const fs::path previous = fs::current_path();
    const fs::path folder = scratchPath("quillon-fuzz-inputs-" + std::string(GetParam().name));
    fs::create_directories(folder);
    fs::current_path(folder);
    const std::vector<fs::path> inputs = inputsOf(GetParam().name);
    EXPECT_GE(inputs.size(), 3u) << "a target's corpus holds a few seeds at least";
    for (const fs::path& input : inputs) {
        try {
            GetParam().check(bytesOf(input));
        } catch (const CheckFailure& failure) {
            ADD_FAILURE() << input << ": " << failure.what;
        }
    }
    fs::current_path(previous);
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzInputs, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

// The checks themselves: a fault in a reader is a failure, not a pass.
TEST(FuzzChecks, RefusalsMustSayWhatIsWrongInOneLine)
{
    EXPECT_THROW(checkRefusal("reader", ""), CheckFailure);
    EXPECT_THROW(checkRefusal("reader", "two\nlines"), CheckFailure);
    EXPECT_NO_THROW(checkRefusal("reader", "one line"));
}

TEST(FuzzChecks, WordsArePartedByNulAndNewline)
{
    using namespace std::string_literals;
    EXPECT_EQ(wordsOf("--figure\0henon\n--points"s, 10), (std::vector<std::string>{"--figure", "henon", "--points"}));
    EXPECT_EQ(wordsOf("a\nb\nc", 2), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(wordsOf("", 4), (std::vector<std::string>{""}));
}

// A fuzzer's scratch files go when it exits, so that runs leave nothing behind.
TEST(FuzzChecks, ScratchFilesAreRemovedAtExit)
{
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        std::exit(fs::exists(scratchFile("data", ".png")) && fs::exists(scratchFile("", "-copy.png")) ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child did not write its scratch files";
    // The child's files are named as this process's, by its own number.
    const fs::path folder = fs::path(scratchFile("", ".png")).parent_path();
    for (const char* extension : {".png", "-copy.png"})
        EXPECT_FALSE(fs::exists(folder / ("quillon-fuzz-" + std::to_string(child) + extension))) << extension;
}

// What the fuzzers found, each mended: the reader now refuses before the work.

struct CaptionFileCase {
    const char* name;
    const char* text;
    int line;
    bool all;
    size_t captions;       // taken; 0 when refused
    const char* refusal;   // a piece of the message
};

class CaptionFiles : public ::testing::TestWithParam<CaptionFileCase> {};

TEST_P(CaptionFiles, TakeTheirCaptionsAsTheCommandLineSays)
{
    const CaptionFileCase& c = GetParam();
    if (c.captions == 0) {
        try {
            quillon::render::captionsOf(c.text, "ss_save.txt", c.line, c.all);
            ADD_FAILURE() << "accepted";
        } catch (const quillon::render::UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
        }
        return;
    }
    EXPECT_EQ(quillon::render::captionsOf(c.text, "ss_save.txt", c.line, c.all).size(), c.captions);
}

const std::string kMillionAndOneLines(1'000'001, '\n');

const CaptionFileCase kCaptionFiles[] = {
    {"last", "\nBifurcation Plot from Logistical Equation\n\nBifurcation Plot from Logistical Equation\r\n", 0, false, 1, ""},
    {"all", "\nBifurcation Plot from Logistical Equation\n\nBifurcation Plot from Logistical Equation\n", 0, true, 2, ""},
    {"line", "\nBifurcation Plot from Logistical Equation\n", 2, false, 1, ""},
    {"lineBeyond", "Bifurcation Plot from Logistical Equation\n", 3, false, 0, "has no line 3 (it has 1)"},
    {"lineBelow", "Bifurcation Plot from Logistical Equation\n", -20, false, 0, "has no line -20"},
    {"lineEmpty", "\nBifurcation Plot from Logistical Equation\n", 1, false, 0, "line 1 of \"ss_save.txt\" is empty"},
    {"none", "\n \n\t\n", 0, true, 0, "holds no caption"},
    {"noFigure", "Nothing at all\n", 0, false, 0, "names no figure"},
    {"millionLines", kMillionAndOneLines.c_str() + 1, 0, true, 0, "\"ss_save.txt\" holds no caption"},
    {"tooManyLines", kMillionAndOneLines.c_str(), 0, true, 0, "has 1000001 lines, more than the 1000000 a caption"},
};

INSTANTIATE_TEST_SUITE_P(Fuzzed, CaptionFiles, ::testing::ValuesIn(kCaptionFiles),
                         [](const auto& info) { return std::string(info.param.name); });

quillon::render::Plan planOfWords(std::vector<std::string> words)
{
    quillon::render::Arguments a;
    const auto app = quillon::render::commandLine(a);
    std::vector<const char*> argv = {"quillon-render"};
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    app->parse(static_cast<int>(argv.size()), argv.data());
    return quillon::render::planFor(a);
}

std::string refusalOf(std::vector<std::string> words)
{
    try {
        planOfWords(std::move(words));
    } catch (const quillon::render::UsageError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(FuzzFindings, CaptionFilesAreLimitedBeforeTheyAreRead)
{
    const fs::path big = scratchPath("quillon-fuzz-big-captions.txt");
    { std::ofstream(big) << "Bifurcation Plot from Logistical Equation\n"; }
    fs::resize_file(big, quillon::render::kMaxCaptionFileBytes + 1);  // sparse: nothing is written
    EXPECT_NE(refusalOf({"--from", big.string()}).find("larger than 16 MiB, too large for a caption file"),
              std::string::npos);
    fs::remove(big);
    EXPECT_NE(refusalOf({"--from", "/dev/zero"}).find("not a regular file"), std::string::npos);
    EXPECT_NE(refusalOf({"--from", "/"}).find("not a regular file"), std::string::npos);
}

// A PNG of 1x1 whose header then claims width x height.
std::string claimingPng(uint32_t width, uint32_t height)
{
    const fs::path path = scratchPath("quillon-fuzz-claim.png");
    quillon::render::writePng(path.string(), quillon::render::Image::blank(1, 1), {});
    std::string bytes = bytesOf(path);
    // IHDR's data follows the signature, its length and its type.
    for (int k = 0; k < 4; ++k) {
        bytes[16 + k] = static_cast<char>(width >> (24 - 8 * k));
        bytes[20 + k] = static_cast<char>(height >> (24 - 8 * k));
    }
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + 12), 17);
    for (int k = 0; k < 4; ++k)
        bytes[29 + k] = static_cast<char>(crc >> (24 - 8 * k));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path.string();
}

TEST(FuzzFindings, PicturesLargerThanTheirFileAreRefusedUnread)
{
    const struct {
        uint32_t width, height;
        const char* refusal;
    } cases[] = {{2000, 2000, "its header says 2000x2000, more than a file of"},
                 {100000, 100000, "its header says 100000x100000, more than 1 GiB"}};
    for (const auto& c : cases) {
        try {
            quillon::render::readPng(claimingPng(c.width, c.height));
            ADD_FAILURE() << "read";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(quillon::render::readPng(claimingPng(1, 1)).samples.size(), 3u);
}

// A PNG of 1x1 with a text chunk whose header then claims length bytes.
std::string pngWithTextClaiming(uint32_t length)
{
    const fs::path path = scratchPath("quillon-fuzz-text.png");
    quillon::render::writePng(path.string(), quillon::render::Image::blank(1, 1), {{"quillon:caption", "Henon"}});
    std::string bytes = bytesOf(path);
    const size_t type = bytes.find("iTXt");
    for (int k = 0; k < 4; ++k)
        bytes[type - 4 + k] = static_cast<char>(length >> (24 - 8 * k));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path.string();
}

TEST(FuzzFindings, PngChunksLongerThanTheirFileAreRefusedUnread)
{
    const struct {
        uint32_t length;
        const char* refusal;  // empty: read
    } cases[] = {
        {0x7FFFFFFF, "its iTXt chunk claims 2147483647 bytes, more than the"},
        {1 << 20, "its iTXt chunk claims 1048576 bytes"},
        {4096, "its iTXt chunk claims 4096 bytes"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(quillon::render::readPngInfo(pngWithTextClaiming(c.length), error));
        EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
        EXPECT_THROW(quillon::render::readPng(pngWithTextClaiming(c.length)), std::runtime_error);
    }
    std::string error;
    const auto info = quillon::render::readPngInfo(pngWithTextClaiming(25), error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->text, (quillon::render::TextChunks{{"quillon:caption", "Henon"}}));
}

TEST(FuzzFindings, CaptionRefusalsQuoteTheCaptionOnOneLine)
{
    const struct {
        std::string caption;
        const char* refusal;
    } cases[] = {
        {"LORENZ  ORBITS (XZ)    Prandtl= 8  Raymeter%= 2.451673191\n8581", "2.451673191?8581\" in the caption is not a number"},
        {"\x01\x02 no figure\r\nat all", "the caption \"?? no figure??at all\" names no figure"},
        {"Henon " + std::string(200, 'x'), "xxx...\" lacks"},
    };
    for (const auto& c : cases) {
        try {
            quillon::render::parseCaption(c.caption);
            ADD_FAILURE() << c.caption << ": accepted";
        } catch (const quillon::render::UsageError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
            EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos) << message;
            EXPECT_LT(message.size(), 160u) << message;
        }
    }
}

// A PNG's and a counts file's text values may span lines; the refusals that
// quote them take one.
TEST(FuzzFindings, PictureTextRefusalsTakeOneLine)
{
    const struct {
        const char* key;
        const char* value;
        const char* refusal;
    } cases[] = {
        {"quillon:source", "par\nameters", "par?ameters"},
        {"quillon:palette", "oce\r\nan", "oce??an"},
        {"quillon:style", "den\tsity", "den?sity"},
        {"quillon:tone", "lo\ng", "lo?g"},
        {"quillon:background", "#00\n0000", "#00?0000"},
    };
    for (const auto& c : cases) {
        quillon::render::TextChunks text =
            quillon::render::chunksOfComment(bytesOf(fs::path(QUILLON_FUZZ_DIR) / "corpus/picture_text/seed2"));
        ASSERT_NO_THROW(quillon::render::settingsFrom(text));
        for (auto& [key, value] : text)
            if (key == c.key)
                value = c.value;
        try {
            quillon::render::settingsFrom(text);
            ADD_FAILURE() << c.refusal << ": accepted";
        } catch (const quillon::render::UsageError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
            EXPECT_EQ(message.find_first_of("\r\n\t"), std::string::npos) << message;
        }
    }
}

// A counts file of 8x6 whose header then claims another grid, or another compression.
std::string claimingCounts(int32_t width, int32_t height, uint8_t compression = 3)
{
    namespace render = quillon::render;
    const fs::path path = scratchPath("quillon-fuzz-claim.exr");
    render::CountsFileData data{.width = 8, .height = 6, .counts = std::vector<uint32_t>(48, 7)};
    render::writeCountsFile(path.string(), data);
    std::string bytes = bytesOf(path);
    for (const std::string& name : {std::string("dataWindow\0box2i\0", 17), std::string("displayWindow\0box2i\0", 20)}) {
        const size_t at = bytes.find(name) + name.size() + 4;  // the box follows its size
        const int32_t box[4] = {0, 0, width - 1, height - 1};
        for (int k = 0; k < 16; ++k)
            bytes[at + k] = static_cast<char>(box[k / 4] >> (8 * (k % 4)));
    }
    const std::string kind("compression\0compression\0", 24);
    bytes[bytes.find(kind) + kind.size() + 4] = static_cast<char>(compression);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path.string();
}

TEST(FuzzFindings, CountsFilesAreRefusedBeforeTheirGridIsAllocated)
{
    const struct {
        int32_t width, height;
        uint8_t compression;
        const char* refusal;  // empty: read
    } cases[] = {
        {8, 6, 3, ""},
        {65536, 32768, 3, "a grid of 65536x32768 holds 8589934592 bytes of counts, more than a file of"},
        {4000, 4000, 0, "a grid of 4000x4000 holds 64000000 bytes of counts"},
        {262141, 1, 3, "each side 1 to 262140"},
        {262140, 8193, 3, "over the limit of 2147483648 pixels"},
        {8, 6, 4, "compressed otherwise than with ZIP, RLE or nothing"},
    };
    for (const auto& c : cases) {
        try {
            const auto data = quillon::render::readCountsFile(claimingCounts(c.width, c.height, c.compression));
            EXPECT_STREQ(c.refusal, "") << c.width << "x" << c.height << ": read";
            EXPECT_EQ(data.counts, std::vector<uint32_t>(48, 7));
        } catch (const quillon::render::CountsFileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
            EXPECT_STRNE(c.refusal, "") << e.what();
        }
    }
}

TEST(FuzzFindings, CountsHeadersAreReadAsOpenExrReadsThem)
{
    // OpenEXR reads a box by its own 16 bytes and a channel list to its own end,
    // whatever size the header gives; what follows would be read as another
    // attribute, of any size. Each such header is refused before OpenEXR reads it.
    const struct {
        const char* name;
        const char* type;
        int32_t size;
        const char* refusal;
    } cases[] = {
        {"displayWindow", "box2i", 1, "the header attribute \"displayWindow\" of type box2i gives 1 bytes, not 16"},
        {"dataWindow", "box2i", 17, "gives 17 bytes, not 16"},
        {"channels", "chlist", 20, "the channel list does not fill its 20 bytes"},
        {"compression", "compression", 0, "gives 0 bytes, not 1"},
    };
    for (const auto& c : cases) {
        const std::string path = claimingCounts(8, 6);
        std::string bytes = bytesOf(path);
        const std::string attribute = c.name + std::string(1, '\0') + c.type + std::string(1, '\0');
        const size_t at = bytes.find(attribute) + attribute.size();
        for (int k = 0; k < 4; ++k)
            bytes[at + k] = static_cast<char>(c.size >> (8 * k));
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        try {
            quillon::render::readCountsFile(path);
            ADD_FAILURE() << c.name << ": read";
        } catch (const quillon::render::CountsFileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
        }
    }
}

// Seven digits do not always tell one Single from the next: what a Single
// field shows reads back as a Single within the seventh digit's rounding,
// not always as the same Single.
TEST(FuzzFindings, SinglesShownReadBackWithinTheirRounding)
{
    const quillon::NumberFormat numbers(",");
    const struct {
        const char* typed;
        const char* shown;
        const char* shownAgain;
    } cases[] = {
        {"10000000128540180001285240867", "1E+28", "9,999999E+27"},
        {"0,1", "0,1", "0,1"},
        {"16777217", "1,677722E+07", "1,677722E+07"},
        {"3,4028234E+38", "3,402823E+38", "3,402823E+38"},
        {"1,4E-45", "1,401298E-45", "1,401298E-45"},
    };
    for (const auto& c : cases) {
        const auto single = quillon::toSingle(numbers.parse(c.typed).value());
        ASSERT_TRUE(single) << c.typed;
        EXPECT_EQ(numbers.singleText(*single), c.shown) << c.typed;
        const auto again = quillon::toSingle(numbers.parse(c.shown).value());
        ASSERT_TRUE(again) << c.shown;
        EXPECT_EQ(numbers.singleText(*again), c.shownAgain) << c.shown;
        EXPECT_NEAR(*again, *single, std::fabs(*single) * 6e-7) << c.shown;
    }
}

// The fuzzer parses every command line with one option table, cleared between
// parses; what it makes of words must not depend on the words before them.
TEST(FuzzChecks, TheOptionTableClearedParsesAsANewOne)
{
    using namespace std::string_literals;
    const std::string lines[] = {
        "--figure\0henon\0--points\0" "5000\0--size\0" "40x30\0-o\0a.png"s,
        "--caption\0Henon Mapping  a= 1.4  b= .3\0-o\0b.png"s,
        "--figure\0lozi\0--all\0--aa\0" "3\0--style\0density"s,
        "--figure\0hopalong\0--param\0a=0.4\0--param\0b=1\0-o\0c.png"s,
        "--figure\0henon\0-o\0d.png"s,
        "--help"s,
        "--figure\0henon\0--points\0-3"s,
        "--figure\0henon\0--size\0" "40x30\0-o\0e.png"s,
    };
    for (const std::string& line : lines) {
        std::vector<std::string> words = wordsOf(line, 48);
        std::string fresh;
        try {
            const auto plan = planOfWords(words);
            fresh = "plan of " + std::to_string(plan.jobs.size()) + " jobs" + (plan.orbit ? ", orbit" : "");
            for (const auto& job : plan.jobs)
                fresh += ", " + job.path + " " + quillon::render::captionOf(job.settings.choice) + " " +
                         std::to_string(job.settings.points);
        } catch (const CLI::CallForHelp&) {
            fresh = "help";
        } catch (const CLI::ParseError& e) {
            fresh = e.what();
        } catch (const quillon::render::UsageError& e) {
            fresh = e.what();
        }
        EXPECT_EQ(commandLineOutcome(line), fresh) << line;
    }
}

}  // namespace
