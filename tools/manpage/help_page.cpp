#include "help_page.h"

#include <algorithm>
#include <cctype>

namespace manpage {

namespace {

constexpr char kUsage[] = "Usage: ";
constexpr char kExitStatus[] = "Exit status:";

bool StartsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string Trim(const std::string &text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A list's title line: "Options:", a word and a colon, nothing before it.
bool IsListTitle(const std::string &line)
{
    return !line.empty() && std::isupper(static_cast<unsigned char>(line[0])) && line.back() == ':' &&
           line.find(' ') == std::string::npos;
}

// An item line is indented by two spaces; its description follows after a
// run of spaces on the same line, or alone on the lines after a long term.
HelpItem ParseItem(const std::string &line)
{
    const std::string body = line.substr(2);
    const size_t gap = body.find("  ");
    if (gap == std::string::npos)
        return HelpItem{Trim(body), ""};
    return HelpItem{Trim(body.substr(0, gap)), Trim(body.substr(gap))};
}

bool IsItemLine(const std::string &line)
{
    return line.size() > 2 && StartsWith(line, "  ") && line[2] != ' ';
}

std::vector<std::vector<std::string>> Paragraphs(const std::vector<std::string> &lines)
{
    std::vector<std::vector<std::string>> paragraphs(1);
    for (const std::string &line : lines) {
        if (Trim(line).empty()) {
            if (!paragraphs.back().empty())
                paragraphs.emplace_back();
        } else {
            paragraphs.back().push_back(line);
        }
    }
    if (paragraphs.back().empty())
        paragraphs.pop_back();
    return paragraphs;
}

// "--mode N:{0,1,2}=2" as bold names and the value in italics;
// "-h,--help" as two bold names.
std::string TermRoff(const std::string &term)
{
    const size_t space = term.find(' ');
    const std::string names = term.substr(0, space);
    std::string roff;
    size_t start = 0;
    while (start <= names.size()) {
        size_t comma = names.find(',', start);
        if (comma == std::string::npos)
            comma = names.size();
        if (!roff.empty())
            roff += ", ";
        roff += "\\fB" + RoffText(names.substr(start, comma - start)) + "\\fR";
        start = comma + 1;
    }
    if (space != std::string::npos)
        roff += " \\fI" + RoffText(term.substr(space + 1)) + "\\fR";
    return roff;
}

std::string ParagraphRoff(const std::vector<std::string> &paragraph)
{
    // Lines indented after the first keep their layout; others are filled.
    const bool laidOut = std::any_of(paragraph.begin() + 1, paragraph.end(),
                                     [](const std::string &line) { return StartsWith(line, " "); });
    std::string roff = laidOut ? ".PP\n.nf\n" : ".PP\n";
    for (const std::string &line : paragraph)
        roff += RoffText(laidOut ? line : Trim(line)) + "\n";
    return laidOut ? roff + ".fi\n" : roff;
}

// "Exit status:" followed by lines "  <number>  <meaning>", or by a sentence.
std::string ExitStatusRoff(const std::vector<std::string> &paragraph)
{
    std::string roff;
    std::vector<std::string> prose;
    const std::string rest = Trim(paragraph.front().substr(sizeof kExitStatus - 1));
    if (!rest.empty())
        prose.push_back(rest);
    for (size_t i = 1; i < paragraph.size(); ++i) {
        const std::string line = Trim(paragraph[i]);
        const size_t gap = line.find("  ");
        const bool entry = gap != std::string::npos &&
                           std::all_of(line.begin(), line.begin() + static_cast<long>(gap),
                                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
        if (entry)
            roff += ".TP\n.B " + line.substr(0, gap) + "\n" + RoffText(Trim(line.substr(gap))) + "\n";
        else
            prose.push_back(line);
    }
    return prose.empty() ? roff : ParagraphRoff(prose) + roff;
}

std::string ListRoff(const HelpList &list)
{
    std::string roff;
    for (const HelpItem &item : list.items)
        roff += ".TP\n" + TermRoff(item.term) + "\n" + RoffText(item.description) + "\n";
    return roff;
}

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += (text.empty() ? "" : " ") + Trim(line);
    return text;
}

}  // namespace

std::string RoffText(const std::string &text)
{
    std::string roff;
    for (char c : text) {
        if (c == '\\')
            roff += "\\e";
        else if (c == '-')
            roff += "\\-";
        else
            roff += c;
    }
    if (!roff.empty() && (roff[0] == '.' || roff[0] == '\''))
        roff.insert(0, "\\&");
    return roff;
}

HelpText ParseHelp(const std::string &text)
{
    HelpText help;
    bool inFooter = false;
    for (const std::string &line : Lines(text)) {
        if (help.usage.empty() && !inFooter && help.lists.empty()) {
            if (StartsWith(line, kUsage))
                help.usage = line.substr(sizeof kUsage - 1);
            else
                help.description.push_back(line);
            continue;
        }
        if (!inFooter && IsListTitle(line) && line != kExitStatus) {
            help.lists.push_back(HelpList{line.substr(0, line.size() - 1), {}});
        } else if (!inFooter && !help.lists.empty() && IsItemLine(line)) {
            help.lists.back().items.push_back(ParseItem(line));
        } else if (!inFooter && !help.lists.empty() && !help.lists.back().items.empty() &&
                   StartsWith(line, "   ") && !Trim(line).empty()) {
            std::string &description = help.lists.back().items.back().description;
            description += (description.empty() ? "" : " ") + Trim(line);
        } else if (!Trim(line).empty() || inFooter) {
            inFooter = inFooter || !Trim(line).empty();
            if (inFooter)
                help.footer.push_back(line);
        }
    }
    while (!help.description.empty() && Trim(help.description.back()).empty())
        help.description.pop_back();
    while (!help.footer.empty() && Trim(help.footer.back()).empty())
        help.footer.pop_back();
    return help;
}

std::vector<std::string> SubcommandNames(const HelpText &help)
{
    std::vector<std::string> names;
    for (const HelpList &list : help.lists) {
        if (list.title == "Subcommands") {
            for (const HelpItem &item : list.items)
                names.push_back(item.term);
        }
    }
    return names;
}

std::string RenderManualPage(const ManualPage &page)
{
    const HelpText &help = page.help;
    std::string roff = ".TH " + Upper(page.program) + " 1 \"\" \"" + page.source + "\" \"User Commands\"\n";
    std::string summary = Joined(help.description);
    if (StartsWith(summary, page.program + ": "))
        summary.erase(0, page.program.size() + 2);
    roff += ".SH NAME\n" + RoffText(page.program) + " \\- " + RoffText(summary) + "\n";
    roff += ".SH SYNOPSIS\n";
    const std::string prefix = page.program + " ";
    const std::string usage = StartsWith(help.usage, prefix) ? help.usage.substr(prefix.size()) : help.usage;
    roff += ".B " + RoffText(page.program) + "\n" + RoffText(usage) + "\n";

    std::string exitStatus;
    roff += ".SH DESCRIPTION\n" + RoffText(summary) + "\n";
    for (const std::vector<std::string> &paragraph : Paragraphs(help.footer)) {
        if (StartsWith(paragraph.front(), kExitStatus))
            exitStatus += ExitStatusRoff(paragraph);
        else
            roff += ParagraphRoff(paragraph);
    }
    for (const HelpList &list : help.lists) {
        if (list.title != "Subcommands")
            roff += ".SH " + Upper(list.title) + "\n" + ListRoff(list);
    }
    if (!page.subcommands.empty())
        roff += ".SH SUBCOMMANDS\n";
    for (const auto &[name, sub] : page.subcommands) {
        roff += ".SS \"" + RoffText(name) + "\"\n" + RoffText(Joined(sub.description)) + "\n";
        roff += ".PP\n.B " + RoffText(page.program) + "\n" +
                RoffText(StartsWith(sub.usage, prefix) ? sub.usage.substr(prefix.size()) : sub.usage) + "\n";
        for (const HelpList &list : sub.lists)
            roff += ListRoff(list);
        // A footer that only repeats the program's own (its exit statuses) is left out.
        if (sub.footer != help.footer) {
            for (const std::vector<std::string> &paragraph : Paragraphs(sub.footer))
                roff += ParagraphRoff(paragraph);
        }
    }
    if (!exitStatus.empty())
        roff += ".SH \"EXIT STATUS\"\n" + exitStatus;
    return roff;
}

}  // namespace manpage
