// backup and restore: every file of the handheld into a directory, and the
// files of a directory back onto the handheld.
#ifndef TESSALINK_CLI_BACKUP_COMMANDS_H
#define TESSALINK_CLI_BACKUP_COMMANDS_H

#include "request.h"

namespace cli {

// Lists the handheld's files and fetches each (that --only selects) into the
// directory, one connection per file. A file already there is replaced only
// once its new copy has arrived whole. Stops at the first failure, naming
// the file; what was fetched before stays.
int RunBackup(const Request &request);

// Sends the directory's regular files (or the ones named) over one
// connection, each under its file name, with the release after the last.
// Stops at the first failure, naming the file; what was sent before stays.
int RunRestore(const Request &request);

}  // namespace cli

#endif
