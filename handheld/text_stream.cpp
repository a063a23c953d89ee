#include "text_stream.h"

#include <algorithm>
#include <cstddef>

#include "packet_wire.h"

namespace handheld {

namespace {
constexpr size_t kFrameBytes = 512;
}

std::vector<std::vector<uint8_t>> TextUnits(const std::vector<uint8_t> &text, bool framed)
{
    std::vector<uint8_t> stream(text);
    stream.push_back(wire::kTextEnd);
    if (!framed)
        return {stream};

    std::vector<std::vector<uint8_t>> units;
    size_t at = 0;
    while (at < stream.size()) {
        size_t n = std::min(kFrameBytes, stream.size() - at);
        const bool last = at + n == stream.size();
        if (!last && stream[at + n - 1] == wire::kTextEnd)
            --n;  // a unit that is not the last is a full one, so 511 bytes stay
        units.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at),
                           stream.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    return units;
}

}  // namespace handheld
