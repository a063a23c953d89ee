// KIVO_MEM_Analize on any text and width: the output stays inside the
// documented bound (strlen(out) + 3 x T + 1, exactly), every line ends with
// CR LF, and no line is longer than the width (2 bytes at width 1, where a
// double-byte character has a line of its own).
#include <algorithm>
#include <cstdint>

#include "layout_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const int32_t width = fuzz::WidthOf(data[0]);
    const size_t already = data[1] % 8;
    const CodePageTables *codePage = fuzz::OtherCodePage(data[2]);
    fuzz::LayoutInput in = fuzz::MakeLayoutInput(data + 3, size - 3, already, 3);

    char *end = codePage == nullptr ? KIVO_MEM_Analize(in.text.text(), in.out.text(), width)
                                    : MemAnalize(in.text.text(), in.out.text(), width, *codePage);
    const size_t longest = width > 0 ? std::max<size_t>(static_cast<size_t>(width), 2) : 0;
    fuzz::CheckLayout(in, end, longest);
    return 0;
}
