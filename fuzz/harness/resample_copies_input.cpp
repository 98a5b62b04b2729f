#include "resample_copies_input.h"

#include <algorithm>
#include <iterator>

namespace vantrel::fuzz {

namespace {

constexpr std::uint8_t kWarningsOff = 0x01;
constexpr std::uint8_t kResolutionFromInput = 0x02;
constexpr std::uint8_t kCopyWithinSource = 0x04;
constexpr unsigned kOperationShift = 4;
constexpr std::uint8_t kWideNumber = 0x7F;

// Hands out the input's bytes front to back; past the end every byte is 0.
class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

    std::int32_t Number() {
        const std::uint8_t first = Byte();
        if (first != kWideNumber) return static_cast<std::int8_t>(first);
        std::uint32_t value = 0;
        for (unsigned shift = 0; shift < 32; shift += 8)
            value |= static_cast<std::uint32_t>(Byte()) << shift;
        return static_cast<std::int32_t>(value);
    }

    std::vector<std::uint8_t> Rest() {
        const std::size_t from = std::min(at_, size_);
        at_ = size_;
        return std::vector<std::uint8_t>(data_ + from, data_ + size_);
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

std::int32_t Side(std::uint8_t byte) {
    return 1 + byte % kMaxFuzzSide;
}

void AppendNumber(std::vector<std::uint8_t>& out, std::int32_t value) {
    if (value >= -128 && value < kWideNumber) {
        out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(value)));
        return;
    }
    out.push_back(kWideNumber);
    const auto bits = static_cast<std::uint32_t>(value);
    for (unsigned shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

}  // namespace

ResampleCopiesInput ParseResampleCopiesInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    ResampleCopiesInput input;
    const std::uint8_t flags = in.Byte();
    input.warningsOff = (flags & kWarningsOff) != 0;
    input.resolutionFromInput = (flags & kResolutionFromInput) != 0;
    input.copyWithinSource = (flags & kCopyWithinSource) != 0;
    input.operation = static_cast<CopyOperation>((flags >> kOperationShift) & 3u);
    input.sourceWidth = Side(in.Byte());
    input.sourceHeight = Side(in.Byte());
    input.targetWidth = Side(in.Byte());
    input.targetHeight = Side(in.Byte());
    input.depth = kFuzzDepths[in.Byte() % std::size(kFuzzDepths)];
    input.mode = static_cast<char>(in.Byte());
    input.value = in.Number();
    input.xPelsPerMeter = in.Number();
    input.yPelsPerMeter = in.Number();
    for (std::int32_t& coordinate : input.coordinates)
        coordinate = in.Number();
    input.key.blue = in.Byte();
    input.key.green = in.Byte();
    input.key.red = in.Byte();
    input.key.alpha = in.Byte();
    input.pixels = in.Rest();
    return input;
}

std::vector<std::uint8_t> EncodeResampleCopiesInput(const ResampleCopiesInput& input) {
    std::vector<std::uint8_t> out;
    const auto flags =
        static_cast<std::uint8_t>((input.warningsOff ? kWarningsOff : 0) |
                                  (input.resolutionFromInput ? kResolutionFromInput : 0) |
                                  (input.copyWithinSource ? kCopyWithinSource : 0) |
                                  (static_cast<unsigned>(input.operation) << kOperationShift));
    out.push_back(flags);
    for (std::int32_t side :
         {input.sourceWidth, input.sourceHeight, input.targetWidth, input.targetHeight})
        out.push_back(static_cast<std::uint8_t>(side - 1));
    const auto depthAt = std::find(std::begin(kFuzzDepths), std::end(kFuzzDepths), input.depth);
    out.push_back(static_cast<std::uint8_t>(depthAt - std::begin(kFuzzDepths)));
    out.push_back(static_cast<std::uint8_t>(input.mode));
    AppendNumber(out, input.value);
    AppendNumber(out, input.xPelsPerMeter);
    AppendNumber(out, input.yPelsPerMeter);
    for (std::int32_t coordinate : input.coordinates)
        AppendNumber(out, coordinate);
    out.insert(out.end(), {input.key.blue, input.key.green, input.key.red, input.key.alpha});
    out.insert(out.end(), input.pixels.begin(), input.pixels.end());
    return out;
}

}  // namespace vantrel::fuzz
