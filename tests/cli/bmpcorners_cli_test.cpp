// The command-line tool as a user runs it: exit codes and messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bitmap/bitmap_image.h"
#include "bitmap/bmp_format.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int exitCode;
    std::string out, err;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 (std::string("bmpcorners-cli-") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string At(const std::string& name) const { return (folder / name).string(); }

    // Runs the tool with arguments already quoted for the shell.
    ToolRun Tool(const std::string& arguments) const {
        const std::string command = std::string(VANTREL_BUILD_DIR "/bmpcorners ") + arguments +
                                    " >" + At("stdout.txt") + " 2>" + At("stderr.txt");
        const int status = std::system(command.c_str());
        return ToolRun{WEXITSTATUS(status), ReadAll(folder / "stdout.txt"),
                       ReadAll(folder / "stderr.txt")};
    }

    void WritePicture(const std::string& name, std::int32_t depth = 24) const {
        BitmapImage image;
        ASSERT_TRUE(image.ChangeBitDepth(depth));
        ASSERT_TRUE(image.Resize(90, 60));
        ASSERT_TRUE(image.Save(At(name).c_str()));
    }

    // A valid picture with one header byte changed.
    void WritePatched(const std::string& name, std::size_t offset,
                      std::vector<std::uint8_t> bytes) const {
        WritePicture(name);
        std::fstream file(At(name), std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(static_cast<std::streamoff>(offset));
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    fs::path folder;
};

TEST_F(Cli, MainJobIsSilentOnSuccessAndReportsWithV) {
    WritePicture("in.bmp");
    ToolRun run = Tool(At("in.bmp") + " " + At("out.bmp"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    BitmapImage image;
    ASSERT_TRUE(image.Load(At("out.bmp").c_str()));
    EXPECT_EQ(image.PixelValue(0, 0), (PixelBGRA{0, 0, 0, 0}));

    run = Tool("-v " + At("in.bmp") + " " + At("out.bmp"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, At("in.bmp") + ": 90 x 60, 24 bits -> " + At("out.bmp") + "\n");
}

TEST_F(Cli, RefusedInputsNameTheFileAndTheReason) {
    std::ofstream(At("text.bmp")) << "hello, this is not a picture";
    std::ofstream(At("short.bmp")) << "BM";
    WritePatched("rle.bmp", 30, {1});                           // biCompression = 1
    WritePatched("topdown.bmp", 22, {0xC4, 0xFF, 0xFF, 0xFF});  // biHeight = -60
    WritePatched("depth.bmp", 28, {7});                         // biBitCount = 7
    WritePatched("zero.bmp", 18, {0, 0, 0, 0});                 // biWidth = 0
    fs::create_directories(folder / "dir.bmp");
    struct Case {
        const char* file;
        const char* reason;
    };
    const Case cases[] = {
        {"missing.bmp", "no such file"},
        {"text.bmp", "not a BMP file"},
        {"short.bmp", "the file ends inside its headers"},
        {"rle.bmp", "unsupported compression"},
        {"topdown.bmp", "top-down rows are not supported"},
        {"depth.bmp", "unsupported bit depth"},
        {"zero.bmp", "bad dimensions"},
        {"dir.bmp", "is a directory"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Tool(At(c.file) + " " + At("out.bmp"));
        EXPECT_EQ(run.exitCode, 1) << c.file;
        EXPECT_EQ(run.err, "bmpcorners: cannot load " + At(c.file) + ": " + c.reason + "\n");
        EXPECT_FALSE(fs::exists(folder / "out.bmp")) << c.file;
    }
}

TEST_F(Cli, UnwritableOutputExitsThreeWithTheSystemReason) {
    WritePicture("in.bmp");
    fs::create_directories(folder / "adir");
    struct Case {
        std::string output, reason;
    };
    const Case cases[] = {{At("no/such/out.bmp"), "no such file"}, {At("adir"), "is a directory"}};
    for (const Case& c : cases) {
        const ToolRun run = Tool(At("in.bmp") + " " + c.output);
        EXPECT_EQ(run.exitCode, 3) << c.output;
        EXPECT_EQ(run.err, "bmpcorners: cannot write " + c.output + ": " + c.reason + "\n");
    }
}

TEST_F(Cli, InfoPrintsTheHeadersOfEachFileAndFailsForOneThatCannotBeOpened) {
    WritePicture("in.bmp");
    ToolRun run = Tool("--info " + At("in.bmp") + " " + At("in.bmp"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    for (const char* line : {"bfType: 19778 (\"BM\")\n", "biWidth: 90\n", "biHeight: 60\n",
                             "biBitCount: 24\n", "biCompression: 0 (BI_RGB)\n"}) {
        const std::size_t first = run.out.find(line);
        EXPECT_NE(first, std::string::npos) << line << run.out;
        EXPECT_NE(run.out.find(line, first + 1), std::string::npos) << "once per file: " << line;
    }
    run = Tool("--info " + At("in.bmp") + " " + At("missing.bmp"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("biWidth: 90\n"), std::string::npos);
    EXPECT_EQ(run.err.rfind("bmpcorners: cannot open " + At("missing.bmp") + ": ", 0), 0u)
        << run.err;
}

TEST_F(Cli, UsageErrorsHelpAndVersion) {
    for (const char* arguments :
         {"", "one.bmp", "a b c", "-x a b", "--info-please a b", "--info"}) {
        const ToolRun run = Tool(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.err.find("usage: bmpcorners"), std::string::npos) << arguments;
    }
    ToolRun run = Tool("--help");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("usage: bmpcorners [-v] INPUT OUTPUT\n", 0), 0u);
    run = Tool("--version");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "bmpcorners 1.0.0.1\n");
}

}  // namespace
}  // namespace vantrel
