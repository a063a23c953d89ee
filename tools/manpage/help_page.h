// A program's --help text, as the command-line parser prints it, read into
// its parts and written out as a manual page in roff: so that the page says
// exactly what the program's own help says, and is made anew at every build.
#ifndef TESSALINK_MANPAGE_HELP_PAGE_H
#define TESSALINK_MANPAGE_HELP_PAGE_H

#include <string>
#include <utility>
#include <vector>

namespace manpage {

// One line of a list: "--mode N:{0,1,2}=2" and "Link mode: 0, 1 or 2".
struct HelpItem {
    std::string term;
    std::string description;
};

// "Positionals", "Options" or "Subcommands", with their lines.
struct HelpList {
    std::string title;
    std::vector<HelpItem> items;
};

struct HelpText {
    std::vector<std::string> description;  // the lines before "Usage:"
    std::string usage;                     // what follows "Usage: "
    std::vector<HelpList> lists;
    std::vector<std::string> footer;       // the lines after the lists
};

HelpText ParseHelp(const std::string &text);

// The names a list's items stand for: the subcommands of "Subcommands".
std::vector<std::string> SubcommandNames(const HelpText &help);

struct ManualPage {
    std::string program;  // "tessalink"
    std::string source;   // "Tessalink 0.1.0"
    HelpText help;
    std::vector<std::pair<std::string, HelpText>> subcommands;
};

// The page in roff (man macros): NAME, SYNOPSIS, DESCRIPTION (with the
// footer's paragraphs), OPTIONS, SUBCOMMANDS with each one's usage and
// options, and EXIT STATUS from the footer's "Exit status:" paragraph.
std::string RenderManualPage(const ManualPage &page);

// Text made safe for roff: backslashes and hyphens escaped, a control
// character at the start of a line defused.
std::string RoffText(const std::string &text);

}  // namespace manpage

#endif
