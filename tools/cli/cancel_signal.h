// Ctrl-C during a link subcommand: the handler only notes the request; the
// link window hands it to the library at its next poll, and the library ends
// the conversation and closes the port.
#ifndef TESSALINK_CLI_CANCEL_SIGNAL_H
#define TESSALINK_CLI_CANCEL_SIGNAL_H

namespace cli {

// From now on, SIGINT requests a cancel; a second SIGINT ends the tool at
// once, for the waits in which the library no longer polls.
void InstallCancelHandler();

bool CancelRequested();

}  // namespace cli

#endif
