// The text of messages/results.tsv, built into the tool.
#ifndef TESSALINK_CLI_RESULT_TABLE_TEXT_H
#define TESSALINK_CLI_RESULT_TABLE_TEXT_H

namespace cli {

extern const char kResultTableText[];

}  // namespace cli

#endif
