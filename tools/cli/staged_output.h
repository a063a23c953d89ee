// Where a link subcommand has the library write what it receives. The library
// empties its output file before it even connects, and a failed transfer
// leaves it empty or partial; so it writes into a fresh file beside the
// destination, which replaces the destination only once the transfer has
// succeeded. A failure leaves the destination as it was.
#ifndef TESSALINK_CLI_STAGED_OUTPUT_H
#define TESSALINK_CLI_STAGED_OUTPUT_H

#include <string>

namespace cli {

// Whether a file name is one of the stage files' (".tessalink-<pid>-<n>.part").
bool IsStagingName(const std::string &name);

// The parts of a stage name: the process's prefix, and the whole name of one
// attempt at a fresh one (a name already taken is passed over).
std::string StagePrefixFor(long processId);
std::string StageName(const std::string &prefix, int attempt);
constexpr int kStageAttempts = 100;

class StagedOutput {
public:
    // destination "-": standard output, staged in the temporary directory.
    explicit StagedOutput(std::string destination);
    ~StagedOutput();
    StagedOutput(const StagedOutput &) = delete;
    StagedOutput &operator=(const StagedOutput &) = delete;

    // Creates the stage file. Returns what went wrong, or "".
    std::string Create();
    const std::string &StagePath() const { return m_stage; }

    // Moves the stage into place (or copies it to standard output). Returns
    // what went wrong, or "".
    std::string Commit();

private:
    std::string m_destination;
    std::string m_stage;
};

}  // namespace cli

#endif
