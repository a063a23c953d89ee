#include "page_extras.h"

#include <sstream>

namespace manpage {

namespace {

// The option names of a help term: "-o,--output TEXT" gives "-o --output".
std::string OptionNames(const std::string &term)
{
    std::string names;
    std::istringstream words(term);
    std::string word;
    words >> word;
    std::istringstream parts(word);
    std::string part;
    while (std::getline(parts, part, ','))
        if (!part.empty() && part[0] == '-')
            names += (names.empty() ? "" : " ") + part;
    return names;
}

std::string Words(const HelpText &help)
{
    std::string words;
    for (const HelpList &list : help.lists) {
        for (const HelpItem &item : list.items) {
            const std::string word = list.title == "Subcommands" ? item.term : OptionNames(item.term);
            if (!word.empty())
                words += (words.empty() ? "" : " ") + word;
        }
    }
    return words;
}

std::string FunctionName(const std::string &program)
{
    std::string name = "_" + program;
    for (char &c : name)
        if (c == '-')
            c = '_';
    return name;
}

}  // namespace

std::string RenderExtraSections(const std::string &markup)
{
    std::string roff;
    bool example = false;
    std::istringstream lines(markup);
    std::string line;
    while (std::getline(lines, line)) {
        const bool indented = line.rfind("    ", 0) == 0;
        if (example && !indented) {
            roff += ".fi\n";
            example = false;
        }
        if (line.rfind("## ", 0) == 0) {
            roff += ".SH \"" + line.substr(3) + "\"\n";
        } else if (line.empty()) {
            roff += ".PP\n";
        } else if (indented) {
            if (!example)
                roff += ".nf\n";
            example = true;
            roff += RoffText(line) + "\n";
        } else {
            roff += RoffText(line) + "\n";
        }
    }
    if (example)
        roff += ".fi\n";
    return roff;
}

std::string RenderBashCompletion(const ManualPage &page)
{
    const std::string function = FunctionName(page.program);
    std::string script = "# bash completion for " + page.program + ", made from its --help (" + page.source + ")\n";
    script += function + "()\n{\n";
    script += "    local cur=${COMP_WORDS[COMP_CWORD]} path=\"\" i\n";
    script += "    for ((i = 1; i < COMP_CWORD; i++)); do\n";
    script += "        case ${COMP_WORDS[i]} in -*) ;; *) path=\"$path ${COMP_WORDS[i]}\" ;; esac\n";
    script += "    done\n";
    script += "    local words\n    case \"${path# }\" in\n";
    for (const auto &[name, help] : page.subcommands)
        script += "        \"" + name + "\"*) words=\"" + Words(help) + "\" ;;\n";
    script += "        *) words=\"" + Words(page.help) + "\" ;;\n    esac\n";
    script += "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n";
    script += "}\ncomplete -o default -F " + function + " " + page.program + "\n";
    return script;
}

}  // namespace manpage
