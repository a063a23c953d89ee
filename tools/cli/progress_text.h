// The one line that shows how a transfer goes: a bar with the share done when
// the total is known, a spinner when it is not, the bytes and the rate.
#ifndef TESSALINK_CLI_PROGRESS_TEXT_H
#define TESSALINK_CLI_PROGRESS_TEXT_H

#include <cstdint>
#include <string>

namespace cli {

struct ProgressState {
    uint64_t done = 0;
    uint64_t total = 0;  // 0: not known
    double seconds = 0;  // since the transfer began
    unsigned tick = 0;   // turns the spinner
};

// "1.5 KiB", "512 B", "3.2 MiB".
std::string ByteCount(uint64_t bytes);

// The line, never longer than columns - 1 so that the terminal does not wrap.
std::string ProgressLine(const ProgressState &state, unsigned columns);

}  // namespace cli

#endif
