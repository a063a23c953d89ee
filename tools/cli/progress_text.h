// The one line that shows how a transfer goes: a bar with the share done when
// the total is known, a spinner when it is not, the bytes and the rate.
#ifndef TESSALINK_CLI_PROGRESS_TEXT_H
#define TESSALINK_CLI_PROGRESS_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace cli {

struct ProgressState {
    uint64_t done = 0;
    uint64_t total = 0;  // 0: not known
    double seconds = 0;  // since the transfer began
    unsigned tick = 0;   // turns the spinner
    std::string label;   // what is moving, e.g. "2/5 MEMO.TXT"; shown first
    std::string waiting;  // what the call waits for; shown instead of the figures
};

// "1.5 KiB", "512 B", "3.2 MiB".
std::string ByteCount(uint64_t bytes);

// The line, never longer than columns - 1 so that the terminal does not wrap:
// the label, then the bar (narrowed to fit), the share, the bytes, the rate
// and the time left; or what the call waits for while it waits.
std::string ProgressLine(const ProgressState &state, unsigned columns);

// The end of a job of several files: "3 files, 68.4 KiB (70013 bytes) in
// 2.3 s", or "1 of 3 files, ..." when it stopped early.
std::string JobSummary(size_t filesDone, size_t filesPlanned, uint64_t bytes, double seconds);

}  // namespace cli

#endif
