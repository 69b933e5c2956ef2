#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "render/image/OutputFile.h"
#include "support/InTempDirectory.h"

namespace quillon::render {
namespace {

namespace fs = std::filesystem;

int entries(const fs::path& folder)
{
    return static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(RenderOutputFile, CommitReplacesTheFinalFileAndAbandoningKeepsIt)
{
    testing::InTempDirectory dir;
    fs::create_directory("pics");
    std::ofstream("pics/out.png") << "old";
    const mode_t previousMask = ::umask(022);
    for (const bool commit : {false, true}) {
        OutputFile output("pics/out.png");
        const fs::path temp(output.tempPath());
        EXPECT_TRUE(fs::equivalent(temp.parent_path(), "pics"));
        EXPECT_EQ(temp.filename().string().rfind(".out.png.partial-", 0), 0u) << temp;
        EXPECT_TRUE(fs::exists(temp));
        std::ofstream(temp) << "new";
        if (commit) {
            output.commit();
            EXPECT_FALSE(fs::exists(temp));
            EXPECT_EQ(fs::status("pics/out.png").permissions(),
                      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                          fs::perms::others_read);
        }
    }
    ::umask(previousMask);
    EXPECT_EQ(dir.read("pics/out.png"), "new");
    EXPECT_EQ(entries("pics"), 1);
}

TEST(RenderOutputFile, FailuresNameTheFolderOrBothFiles)
{
    testing::InTempDirectory dir;
    std::ofstream("plain") << "a file, not a folder";
    struct Row { const char* finalPath; const char* message; };
    const Row rows[] = {
        {"missing/out.png", "cannot write in missing: No such file or directory"},
        {"plain/out.png", "cannot write in plain: Not a directory"},
        {"pics/", "pics/: names a folder, not a file"},
    };
    for (const Row& row : rows) {
        try {
            OutputFile output(row.finalPath);
            ADD_FAILURE() << row.finalPath << " was accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), row.message);
        }
    }

    fs::create_directory("taken");  // a folder where the picture should go
    std::string temp;
    {
        OutputFile output("taken");
        temp = output.tempPath();
        try {
            output.commit();
            ADD_FAILURE() << "renamed over a folder";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "cannot rename " + temp + " to taken: Is a directory");
        }
    }
    EXPECT_FALSE(fs::exists(temp));
}

void interruptWhileWriting(int signal)
{
    OutputFile first("a.png");
    OutputFile second("b.png");
    std::ofstream(first.tempPath()) << "partial";
    std::raise(signal);
}

TEST(RenderOutputFile, AnInterruptRemovesEveryPendingFileAndEndsByTheSignal)
{
    testing::InTempDirectory dir;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(interruptWhileWriting(signal), ::testing::KilledBySignal(signal), "") << signal;
        EXPECT_EQ(entries("."), 0) << signal;
    }
}

}  // namespace
}  // namespace quillon::render
