// What a manual page says beyond the program's help (EXAMPLES, ENVIRONMENT,
// FILES, SEE ALSO), kept beside the program in a small markup; and the bash
// completion, made from the same help as the page.
#ifndef TESSALINK_MANPAGE_PAGE_EXTRAS_H
#define TESSALINK_MANPAGE_PAGE_EXTRAS_H

#include <string>

#include "help_page.h"

namespace manpage {

// "## TITLE" opens a section, an empty line a paragraph, lines indented by
// four spaces are shown as they stand (examples); other lines are text.
std::string RenderExtraSections(const std::string &markup);

// A bash completion script for the program: its subcommands (and theirs),
// and the options of each, as the help lists them; file names elsewhere.
std::string RenderBashCompletion(const ManualPage &page);

}  // namespace manpage

#endif
