// Writes a fixed set of BMP files, one for each stored form, into a folder: each picture
// painted with a pattern, masked, saved, then read back and saved again, and once more
// through the BMPCorners export with UTF-16 paths (one name not ASCII). The cross
// builds run this on the target and on the host and demand identical bytes, so no file
// may depend on the machine's byte order or word size.
#include <cstdint>
#include <cstdio>
#include <string>

#include "bitmap/bitmap_image.h"
#include "export/mask_corners.h"
#include "vantrel_bmp_corners.h"

namespace {

using vantrel::BitmapImage;
using vantrel::PixelBGRA;

// Odd sizes, so every depth has padding at the end of its rows.
constexpr std::int32_t kWidth = 67;
constexpr std::int32_t kHeight = 45;

struct Form {
    const char* name;
    std::int32_t depth;
    bool grayscale;
};

constexpr Form kForms[] = {
    {"depth1", 1, false},   {"depth4", 4, false},   {"depth8", 8, false},   {"gray8", 8, true},
    {"depth16", 16, false}, {"depth24", 24, false}, {"depth32", 32, false},
};

// Every channel, alpha included, varies along both axes.
PixelBGRA PatternPixel(std::int32_t x, std::int32_t y) {
    return PixelBGRA{
        static_cast<std::uint8_t>(x * 37 + y * 11), static_cast<std::uint8_t>(x * 5 + y * 53),
        static_cast<std::uint8_t>(x * y * 7 + 3), static_cast<std::uint8_t>((x + y * 3) * 9)};
}

bool WriteForm(const std::string& folder, const Form& form) {
    BitmapImage image;
    if (!image.Resize(kWidth, kHeight) || !image.ChangeBitDepth(form.depth)) return false;
    if (form.grayscale && !image.FillGrayscalePalette()) return false;
    for (std::int32_t x = 0; x < kWidth; ++x) {
        for (std::int32_t y = 0; y < kHeight; ++y)
            image.PixelAt(x, y) = PatternPixel(x, y);
    }
    // Distinct byte values in both resolution fields.
    image.SetPelsPerMeter(0x0102A3B4, 2835);
    vantrel::MaskCorners(image);

    const std::string saved = folder + "/" + form.name + ".bmp";
    if (!image.Save(saved.c_str())) return false;
    BitmapImage reloaded;
    if (!reloaded.Load(saved.c_str())) return false;
    const std::string resaved = folder + "/" + form.name + "_reloaded.bmp";
    return reloaded.Save(resaved.c_str());
}

// Only ASCII folder names: enough for build folders, and no conversion to get wrong.
bool WidenAscii(const std::string& text, std::u16string& wide) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
        wide.push_back(static_cast<char16_t>(c));
    }
    return true;
}

bool ExportForm(const std::string& folder, const Form& form) {
    std::u16string input;
    if (!WidenAscii(folder + "/" + form.name, input)) return false;
    // The output name ends in a-umlaut and a CJK ideograph: two- and three-byte UTF-8.
    const std::u16string output = input + u"_corners_\u00e4\u65e5.bmp";
    input += u".bmp";
    return BMPCorners(input.c_str(), output.c_str()) == BMPCORNERS_LOADED;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    int failures = 0;
    for (const Form& form : kForms) {
        if (!WriteForm(argv[1], form) || !ExportForm(argv[1], form)) {
            std::fprintf(stderr, "%s: could not write or read back\n", form.name);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
