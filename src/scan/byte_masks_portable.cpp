// The byte masks a byte at a time, for processors without a vector unit the scan knows.

#include "scan/byte_masks.h"

void Find_Byte_Masks(const char* data, std::size_t blocks, ByteMasks* out) {
    for (std::size_t b = 0; b < blocks; ++b, data += kMaskBlock) {
        ByteMasks s{0, 0, 0, 0, 0};
        for (unsigned i = 0; i < kMaskBlock; ++i) {
            const std::uint64_t bit = std::uint64_t{1} << i;
            switch (data[i]) {
                case '\n':
                    s.feeds |= bit;
                    ++s.feed_count;
                    s.literal |= bit;
                    break;
                case '\r':
                    s.comment |= bit;
                    s.code |= bit;
                    s.literal |= bit;
                    break;
                case '"':
                case '\'':
                case '\\':
                    s.code |= bit;
                    s.literal |= bit;
                    break;
                case '#':
                case '/':
                    s.code |= bit;
                    break;
                case '*':
                    if (data[i + 1] == '/') s.comment |= bit;
                    break;
                default:
                    break;
            }
        }
        out[b] = s;
    }
}
