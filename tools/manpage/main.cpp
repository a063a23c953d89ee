// help-to-man PROGRAM SOURCE OUTPUT: writes the manual page of PROGRAM, made
// from its --help and from the --help of each of its subcommands. SOURCE is
// the page's source line, e.g. "Tessalink 0.1.0".
#include <cstdio>
#include <string>

#include "help_page.h"

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
    if (argc != 4) {
        std::fputs("usage: help-to-man PROGRAM SOURCE OUTPUT\n", stderr);
        return 2;
    }
    const std::string program = argv[1];
    manpage::ManualPage page;
    page.program = program.substr(program.find_last_of('/') + 1);
    page.source = argv[2];
    if (!Help(program, "", page.help))
        return 1;
    for (const std::string &name : manpage::SubcommandNames(page.help)) {
        manpage::HelpText sub;
        if (!Help(program, name, sub))
            return 1;
        page.subcommands.emplace_back(name, sub);
    }
    const std::string roff = manpage::RenderManualPage(page);
    std::FILE *out = std::fopen(argv[3], "wb");
    if (out == nullptr || std::fwrite(roff.data(), 1, roff.size(), out) != roff.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "help-to-man: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
