// help-to-man PROGRAM SOURCE OUTPUT [EXTRA]: writes the manual page of
// PROGRAM, made from its --help and from the --help of each of its
// subcommands, with the sections of the file EXTRA after them (see
// page_extras.h). SOURCE is the page's source line, e.g. "Tessalink 0.1.0".
// help-to-man --bash-completion PROGRAM SOURCE OUTPUT: the bash completion
// script, from the same help.
#include <cstdio>
#include <string>

#include "help_page.h"
#include "page_extras.h"

#include <fstream>
#include <sstream>

namespace {

// What the command prints on standard output; false when it fails.
bool Output(const std::string &command, std::string &text)
{
    std::FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return false;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, got);
    return ::pclose(pipe) == 0;
}

std::string Quoted(const std::string &word)
{
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool Help(const std::string &program, const std::string &subcommand, manpage::HelpText &help)
{
    std::string text;
    const std::string command = Quoted(program) + (subcommand.empty() ? "" : " " + Quoted(subcommand)) + " --help";
    if (!Output(command, text)) {
        std::fprintf(stderr, "help-to-man: '%s' failed\n", command.c_str());
        return false;
    }
    help = manpage::ParseHelp(text);
    return true;
}

}  // namespace

int main(int argc, char *argv[])
{
    const bool completion = argc > 1 && std::string(argv[1]) == "--bash-completion";
    const int first = completion ? 2 : 1;
    if (argc - first < 3 || argc - first > (completion ? 3 : 4)) {
        std::fputs("usage: help-to-man PROGRAM SOURCE OUTPUT [EXTRA]\n"
                   "       help-to-man --bash-completion PROGRAM SOURCE OUTPUT\n",
                   stderr);
        return 2;
    }
    const std::string program = argv[first];
    const char *output = argv[first + 2];
    manpage::ManualPage page;
    page.program = program.substr(program.find_last_of('/') + 1);
    page.source = argv[first + 1];
    if (!Help(program, "", page.help))
        return 1;
    for (const std::string &name : manpage::SubcommandNames(page.help)) {
        manpage::HelpText sub;
        if (!Help(program, name, sub))
            return 1;
        page.subcommands.emplace_back(name, sub);
    }
    std::string text = completion ? manpage::RenderBashCompletion(page) : manpage::RenderManualPage(page);
    if (!completion && argc - first == 4) {
        std::ifstream extra(argv[first + 3]);
        std::ostringstream markup;
        markup << extra.rdbuf();
        if (!extra) {
            std::fprintf(stderr, "help-to-man: cannot read %s\n", argv[first + 3]);
            return 1;
        }
        text += manpage::RenderExtraSections(markup.str());
    }
    std::FILE *out = std::fopen(output, "wb");
    if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "help-to-man: cannot write %s\n", output);
        return 1;
    }
    return 0;
}
