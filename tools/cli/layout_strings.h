// The layouts take a text as several zero-terminated strings closed by an
// empty one. The tool makes one string of each input line.
#ifndef TESSALINK_CLI_LAYOUT_STRINGS_H
#define TESSALINK_CLI_LAYOUT_STRINGS_H

#include <string>

namespace cli {

// One string per line (the LF dropped, a CR before it kept: the layouts end a
// line at a CR anyway), then the closing empty string. An empty line would
// close the text early, so it becomes the string holding a lone 0x1F: one
// empty line in the layout.
std::string LayoutStrings(const std::string &input);

// The bytes the layouts may write for these strings: factor 3 for the plain
// layout and 15 for the labelled one, per byte of the strings up to the
// closing empty one, plus the closing zero byte.
size_t LayoutOutputBound(const std::string &strings, size_t factor);

}  // namespace cli

#endif
