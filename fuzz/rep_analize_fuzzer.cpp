// KIVO_REP_Analize on any labelled text and widths: the output stays inside
// the documented bound (strlen(out) + 15 x T + 1, exactly), every line ends
// with CR LF, and with both widths set no line outgrows its column.
#include <algorithm>
#include <cstdint>

#include "layout_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const int32_t lineWidth = fuzz::WidthOf(data[0]);
    const int32_t valueWidth = fuzz::WidthOf(data[1]);
    const size_t already = data[2] % 8;
    const CodePageTables *codePage = fuzz::OtherCodePage(data[3]);
    fuzz::LayoutInput in = fuzz::MakeLayoutInput(data + 4, size - 4, already, 15);

    char *end = codePage == nullptr
                    ? KIVO_REP_Analize(in.text.text(), in.out.text(), lineWidth, valueWidth)
                    : RepAnalize(in.text.text(), in.out.text(), lineWidth, valueWidth, *codePage);
    size_t longest = 0;
    if (lineWidth > 0 && valueWidth > 0) {
        const size_t labelled = 12 + std::max<size_t>(static_cast<size_t>(valueWidth), 2);
        longest = std::max(labelled, std::max<size_t>(static_cast<size_t>(lineWidth), 2));
    }
    fuzz::CheckLayout(in, end, longest);
    return 0;
}
