// Calls the export the way a host application does: load the shared library, look up
// BMPCorners, call it through the pointer.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "bitmap/bitmap_image.h"
#include "vantrel_bmp_corners.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

const char* const kLibraryPath = VANTREL_BUILD_DIR "/VantrelBMPCorners.so";

struct LibraryCloser {
    void operator()(void* handle) const { dlclose(handle); }
};

class SharedLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        library.reset(dlopen(kLibraryPath, RTLD_NOW | RTLD_LOCAL));
        ASSERT_NE(library, nullptr) << dlerror();
        corners = reinterpret_cast<BMPCornersFunction>(dlsym(library.get(), "BMPCorners"));
        ASSERT_NE(corners, nullptr);
        folder =
            fs::temp_directory_path() /
            ("bmpcorners-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // The UTF-16 form of a path inside the test folder; name is UTF-8.
    std::u16string Wide(const std::string& name) const {
        return (folder / fs::path(std::u8string(name.begin(), name.end()))).u16string();
    }
    std::string Narrow(const std::string& name) const { return (folder / name).string(); }

    // A picture with no black pixel, so every black pixel afterwards was painted.
    void WritePicture(const std::string& name, std::int32_t depth, std::int32_t w, std::int32_t h) {
        BitmapImage image;
        ASSERT_TRUE(image.ChangeBitDepth(depth));
        ASSERT_TRUE(image.Resize(w, h));
        for (std::int32_t x = 0; x < w; ++x) {
            for (std::int32_t y = 0; y < h; ++y) {
                image.PixelAt(x, y) = PixelBGRA{static_cast<std::uint8_t>(1 + x % 200),
                                                static_cast<std::uint8_t>(1 + y % 200), 90,
                                                static_cast<std::uint8_t>(x + 3 * y)};
            }
        }
        ASSERT_TRUE(image.Save(Narrow(name).c_str()));
    }

    std::unique_ptr<void, LibraryCloser> library;
    BMPCornersFunction corners = nullptr;
    fs::path folder;
};

bool IsBlack(const PixelBGRA& p) {
    return p.blue == 0 && p.green == 0 && p.red == 0;
}

TEST_F(SharedLibrary, PaintsTheCornersAndKeepsEverythingElse) {
    struct Case {
        std::int32_t depth, width, height, black;
    };
    const Case cases[] = {{24, 640, 480, 3285},
                          {32, 640, 480, 3285},
                          {24, 1, 1, 1},
                          {32, 1, 1, 1},
                          {24, 42, 42, 42 * 42 - 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.depth) + " bits, " + std::to_string(c.width) + " x " +
                     std::to_string(c.height));
        WritePicture("in.bmp", c.depth, c.width, c.height);
        EXPECT_EQ(corners(Wide("in.bmp").c_str(), Wide("out.bmp").c_str()), 999);

        BitmapImage before, after;
        ASSERT_TRUE(before.Load(Narrow("in.bmp").c_str()));
        ASSERT_TRUE(after.Load(Narrow("out.bmp").c_str()));
        ASSERT_EQ(after.Width(), c.width);
        ASSERT_EQ(after.Height(), c.height);
        EXPECT_EQ(after.BitDepth(), c.depth);
        std::int32_t black = 0;
        for (std::int32_t x = 0; x < c.width; ++x) {
            for (std::int32_t y = 0; y < c.height; ++y) {
                const PixelBGRA was = before.PixelValue(x, y), now = after.PixelValue(x, y);
                if (IsBlack(now)) {
                    ++black;
                    EXPECT_EQ(now.alpha, was.alpha) << "alpha is kept";
                } else {
                    EXPECT_EQ(now, was);
                }
            }
        }
        EXPECT_EQ(black, c.black);
    }
}

TEST_F(SharedLibrary, StatusAndOutputForEveryKindOfPath) {
    WritePicture("in.bmp", 24, 90, 90);
    WritePicture("\xe5\x9b\xbe\xe7\x89\x87 caf\xc3\xa9 \xf0\x9f\x98\x80.bmp", 24, 90, 90);
    const std::u16string unpaired = Wide("in") + char16_t{0xD800} + u".bmp";
    const std::u16string longPath(200000, u'a');
    struct Case {
        const char* what;
        std::optional<std::u16string> in, out;
        std::int32_t status;
        std::optional<std::string> written;  // the output file that must exist afterwards
    };
    const Case cases[] = {
        {"plain", Wide("in.bmp"), Wide("out.bmp"), 999, "out.bmp"},
        {"missing input", Wide("none.bmp"), Wide("out.bmp"), 1, std::nullopt},
        {"null input", std::nullopt, Wide("out.bmp"), 1, std::nullopt},
        {"null output", Wide("in.bmp"), std::nullopt, 999, std::nullopt},
        {"output folder missing", Wide("in.bmp"), Wide("no/such/out.bmp"), 999, std::nullopt},
        {"non-ASCII names", Wide("\xe5\x9b\xbe\xe7\x89\x87 caf\xc3\xa9 \xf0\x9f\x98\x80.bmp"),
         Wide("\xe5\x87\xba\xe5\x8a\x9b \xc3\xa0\xc3\xa7\xc3\xa9 \xf0\x90\x90\x80.bmp"), 999,
         "\xe5\x87\xba\xe5\x8a\x9b \xc3\xa0\xc3\xa7\xc3\xa9 \xf0\x90\x90\x80.bmp"},
        {"unpaired surrogate", unpaired, Wide("out.bmp"), 1, std::nullopt},
        {"200,000 characters", longPath, Wide("out.bmp"), 1, std::nullopt},
        {"200,000 character output", Wide("in.bmp"), longPath, 999, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(folder / "out.bmp");
        const std::int32_t status =
            corners(c.in ? c.in->c_str() : nullptr, c.out ? c.out->c_str() : nullptr);
        EXPECT_EQ(status, c.status);
        if (c.written) {
            BitmapImage image;
            EXPECT_TRUE(image.Load(Narrow(*c.written).c_str()));
            EXPECT_TRUE(IsBlack(image.PixelValue(0, 0)));
        } else {
            EXPECT_FALSE(fs::exists(folder / "out.bmp"));
        }
    }
}

TEST_F(SharedLibrary, SameFileInAndOutIsReplacedByThePaintedPicture) {
    WritePicture("both.bmp", 8, 100, 100);
    EXPECT_EQ(corners(Wide("both.bmp").c_str(), Wide("both.bmp").c_str()), 999);
    BitmapImage image;
    ASSERT_TRUE(image.Load(Narrow("both.bmp").c_str()));
    EXPECT_EQ(image.Width(), 100);
    EXPECT_TRUE(IsBlack(image.PixelValue(0, 0)));
    EXPECT_TRUE(IsBlack(image.PixelValue(99, 99)));
    EXPECT_FALSE(IsBlack(image.PixelValue(50, 50)));
}

// Many hosts (script interpreters among them) never unload what they load: the module's
// unload hook then runs at process exit, after static destructors.
TEST(SharedLibraryLifetime, HostThatExitsWithoutUnloadingExitsCleanly) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        void* const handle = dlopen(kLibraryPath, RTLD_NOW | RTLD_LOCAL);
        std::exit(handle != nullptr ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SharedLibraryExports, BMPCornersIsTheOnlyExportedSymbol) {
    const std::string command = std::string("nm -D --defined-only ") + kLibraryPath;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_NE(pipe, nullptr);
    std::string listing;
    char line[512];
    while (std::fgets(line, sizeof line, pipe.get()) != nullptr)
        listing += line;
    EXPECT_NE(listing.find(" T BMPCorners\n"), std::string::npos) << listing;
    // One line only: the export itself.
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 1) << listing;
}

}  // namespace
}  // namespace vantrel
