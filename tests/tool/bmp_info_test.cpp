#include "bmp_info.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/bmp_builder.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

struct Report {
    int result;
    std::string out;
    std::string err;
};

struct StreamCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;

std::string Contents(std::FILE* stream) {
    std::rewind(stream);
    std::string text;
    char chunk[256];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0)
        text.append(chunk, got);
    return text;
}

// The report's streams are files of their own in dir (tmpfile() is unreliable on Windows).
Report Inspect(const TempDir& dir, const char* path) {
    const Stream out(std::fopen(dir.Path("out.txt").c_str(), "w+b"));
    const Stream err(std::fopen(dir.Path("err.txt").c_str(), "w+b"));
    EXPECT_TRUE(out && err);
    if (!out || !err) return {-1, "", ""};
    const int result = PrintBmpInfo(path, out.get(), err.get());
    return {result, Contents(out.get()), Contents(err.get())};
}

// A 3 × 2, 24-bit file with a 2835 pixels-per-metre resolution.
BmpBuilder SmallFile() {
    BmpBuilder builder(3, 2, 24);
    builder.info.biSizeImage = 24;
    builder.info.biXPelsPerMeter = 2835;
    builder.info.biYPelsPerMeter = -1;
    builder.Row({1, 2, 3, 4, 5, 6, 7, 8, 9}).Row({9, 8, 7, 6, 5, 4, 3, 2, 1});
    return builder;
}

// The line that starts with "name: ", without its newline; empty when there is none.
std::string Line(const std::string& text, const std::string& name) {
    const std::string key = name + ": ";
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        if (line.rfind(key, 0) == 0) return line;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return "";
}

class BmpInfo : public ::testing::Test {
  protected:
    TempDir dir;
};

TEST_F(BmpInfo, ListsEveryFieldOfAValidFile) {
    const std::string path = dir.Path("small.bmp");
    SmallFile().WriteTo(path);
    const Report report = Inspect(dir, path.c_str());
    EXPECT_EQ(report.result, 0);
    EXPECT_EQ(report.err, "");
    EXPECT_EQ(report.out, "file: " + path +
                              "\n"
                              "file size: 78 bytes\n"
                              "bfType: 19778 (\"BM\")\n"
                              "bfSize: 78\n"
                              "bfReserved1: 0\n"
                              "bfReserved2: 0\n"
                              "bfOffBits: 54\n"
                              "biSize: 40\n"
                              "biWidth: 3\n"
                              "biHeight: 2\n"
                              "biPlanes: 1\n"
                              "biBitCount: 24\n"
                              "biCompression: 0 (BI_RGB)\n"
                              "biSizeImage: 24\n"
                              "biXPelsPerMeter: 2835\n"
                              "biYPelsPerMeter: -1\n"
                              "biClrUsed: 0\n"
                              "biClrImportant: 0\n");
}

TEST_F(BmpInfo, ShowsTheSignatureAsTextAndTheCompressionByName) {
    struct Case {
        std::uint16_t signature;
        std::uint32_t compression;
        const char* typeLine;
        const char* compressionLine;
    };
    const Case cases[] = {
        {19778, 1, "bfType: 19778 (\"BM\")", "biCompression: 1 (BI_RLE8)"},
        {0x4B50, 2, "bfType: 19280 (\"PK\")", "biCompression: 2 (BI_RLE4)"},
        {0x5089, 3, "bfType: 20617 (\"\\x89P\")", "biCompression: 3 (BI_BITFIELDS)"},
        {0x0022, 4, "bfType: 34 (\"\\x22\\x00\")", "biCompression: 4 (BI_JPEG)"},
        {0x4142, 5, "bfType: 16706 (\"BA\")", "biCompression: 5 (BI_PNG)"},
        {0x4D42, 6, "bfType: 19778 (\"BM\")", "biCompression: 6 (unknown)"},
        {0x4D42, 0xFFFFFFFF, "bfType: 19778 (\"BM\")", "biCompression: 4294967295 (unknown)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typeLine);
        BmpBuilder builder = SmallFile();
        builder.file.bfType = c.signature;
        builder.info.biCompression = c.compression;
        const std::string path = dir.Path("case.bmp");
        builder.WriteTo(path);
        const Report report = Inspect(dir, path.c_str());
        EXPECT_EQ(report.result, 0);
        EXPECT_EQ(Line(report.out, "bfType"), c.typeLine);
        EXPECT_EQ(Line(report.out, "biCompression"), c.compressionLine);
    }
}

// A refused file is often a short one: the report says which fields are not there
// instead of showing the defaults the library falls back on.
TEST_F(BmpInfo, NamesTheFieldsAShortFileDoesNotSupply) {
    struct Case {
        std::size_t length;
        const char* sizeLine;
        const char* typeLine;
        const char* offBitsLine;
        const char* widthLine;
        const char* lastLine;
    };
    const Case cases[] = {
        {0, "file size: 0 bytes", "bfType: (file ends before this field)",
         "bfOffBits: (file ends before this field)", "biWidth: (file ends before this field)",
         "biClrImportant: (file ends before this field)"},
        {1, "file size: 1 byte", "bfType: (file ends inside this field)",
         "bfOffBits: (file ends before this field)", "biWidth: (file ends before this field)",
         "biClrImportant: (file ends before this field)"},
        {14, "file size: 14 bytes", "bfType: 19778 (\"BM\")", "bfOffBits: 54",
         "biWidth: (file ends before this field)", "biClrImportant: (file ends before this field)"},
        {20, "file size: 20 bytes", "bfType: 19778 (\"BM\")", "bfOffBits: 54",
         "biWidth: (file ends inside this field)", "biClrImportant: (file ends before this field)"},
        {53, "file size: 53 bytes", "bfType: 19778 (\"BM\")", "bfOffBits: 54", "biWidth: 3",
         "biClrImportant: (file ends inside this field)"},
        {54, "file size: 54 bytes", "bfType: 19778 (\"BM\")", "bfOffBits: 54", "biWidth: 3",
         "biClrImportant: 0"},
    };
    const std::vector<std::uint8_t> bytes = SmallFile().Bytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sizeLine);
        const std::string path = dir.Path("short.bmp");
        WriteFileBytes(
            path, std::vector<std::uint8_t>(bytes.begin(),
                                            bytes.begin() + static_cast<std::ptrdiff_t>(c.length)));
        const Report report = Inspect(dir, path.c_str());
        EXPECT_EQ(report.result, 0);
        EXPECT_EQ(Line(report.out, "file size"), c.sizeLine);
        EXPECT_EQ(Line(report.out, "bfType"), c.typeLine);
        EXPECT_EQ(Line(report.out, "bfOffBits"), c.offBitsLine);
        EXPECT_EQ(Line(report.out, "biWidth"), c.widthLine);
        EXPECT_EQ(Line(report.out, "biClrImportant"), c.lastLine);
    }
}

TEST_F(BmpInfo, FileThatCannotBeOpenedGivesTheSystemReasonAndResultOne) {
    const std::string missing = dir.Path("missing.bmp");
    const Report report = Inspect(dir, missing.c_str());
    EXPECT_EQ(report.result, 1);
    EXPECT_EQ(report.out, "");
    EXPECT_EQ(report.err,
              "bmpcorners: cannot open " + missing + ": " + std::strerror(ENOENT) + "\n");

    // A folder: POSIX opens it and fails the first read, Windows refuses to open it;
    // either way the reason is the system's own.
    const std::string folder = dir.Path("folder.bmp");
    std::filesystem::create_directory(folder);
    const Report folderReport = Inspect(dir, folder.c_str());
    EXPECT_EQ(folderReport.result, 1);
    EXPECT_EQ(folderReport.out, "");
    const std::string prefix = "bmpcorners: cannot open " + folder + ": ";
    ASSERT_GT(folderReport.err.size(), prefix.size() + 1);
    EXPECT_EQ(folderReport.err.substr(0, prefix.size()), prefix);
    EXPECT_EQ(folderReport.err.back(), '\n');
}

}  // namespace
}  // namespace vantrel
