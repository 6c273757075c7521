// Image assembly over arbitrary chunking: never more than 1216 bytes, no gap and no overlap,
// and completion exactly when the header's length has arrived.
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "core/device/Messages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const bool legacy = data[0] & 1;
    kvt::ImageAccumulator accumulator(legacy);
    std::vector<std::uint8_t> stream;
    std::size_t pos = 1;
    while (pos < size) {
        // Chunk lengths from the input, scaled up so that the 1216-byte bound is reached.
        const std::size_t length = std::min<std::size_t>(data[pos] * 8u, size - pos - 1);
        const std::span<const std::uint8_t> chunk(data + pos + 1, length);
        pos += 1 + length;
        accumulator.append(chunk);
        stream.insert(stream.end(), chunk.begin(), chunk.end());

        const auto& bytes = accumulator.bytes();
        FUZZ_CHECK(bytes.size() <= kvt::kAccumulationLimit);
        FUZZ_CHECK(bytes.size() == std::min(stream.size(), kvt::kAccumulationLimit));
        FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), stream.begin()));
        if (!legacy && bytes.size() >= 8) {
            const std::size_t expected = 8u + (std::size_t{bytes[6]} << 8 | bytes[7]);
            FUZZ_CHECK(accumulator.complete() == (bytes.size() >= expected));
        }
        if (legacy) FUZZ_CHECK(accumulator.complete() == (bytes.size() >= 1216));
    }
    return 0;
}
