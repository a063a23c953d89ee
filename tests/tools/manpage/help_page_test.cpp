// Manual pages made from help texts: what is read from the help, and the
// roff it becomes.
#include <gtest/gtest.h>

#include <ostream>

#include "help_page.h"
#include "launcher/case_name.h"

namespace {

using manpage::HelpItem;
using manpage::HelpText;

// A help text laid out as the command-line parser lays it out.
const std::string kToolHelp =
    "Does things with a handheld.\n"
    "Usage: tool [OPTIONS] SUBCOMMAND\n"
    "\n"
    "Options:\n"
    "  -h,--help                   Print this help message and exit\n"
    "  --block-size INT:INT in [4 - 8192]\n"
    "                              Block size of the packets\n"
    "\n"
    "Subcommands:\n"
    "  list                        Store the file list\n"
    "  text-send                   Send a text\n"
    "\n"
    "Exit status:\n"
    "    0  success\n"
    "  130  result 999: cancelled\n";

const std::string kListHelp =
    "Store the file list\n"
    "Usage: tool list [OPTIONS] [argument]\n"
    "\n"
    "Positionals:\n"
    "  argument TEXT               Argument of the request\n"
    "\n"
    "Options:\n"
    "  -o,--output TEXT            Where to store the list (default \"-\")\n"
    "\n"
    "Exit status:\n"
    "    0  success\n"
    "  130  result 999: cancelled\n";

const std::string kEmulatorHelp =
    "emu: an emulated handheld.\n"
    "Usage: emu [OPTIONS]\n"
    "\n"
    "Options:\n"
    "  --mode N:{0,1,2}=2          Link mode\n"
    "\n"
    "\n"
    "Text. Nothing announces it, so:\n"
    "  - a conversation is the PC's text;\n"
    "  - with --text-in, it is sent.\n"
    "\n"
    ".hidden starts with a dot\n"
    "\n"
    "Exit status: 0 when stopped, 2 on a usage error.\n";

TEST(ParseHelp, ReadsDescriptionUsageListsAndFooter)
{
    const HelpText help = manpage::ParseHelp(kToolHelp);
    EXPECT_EQ(help.description, std::vector<std::string>{"Does things with a handheld."});
    EXPECT_EQ(help.usage, "tool [OPTIONS] SUBCOMMAND");
    ASSERT_EQ(help.lists.size(), 2u);
    EXPECT_EQ(help.lists[0].title, "Options");
    ASSERT_EQ(help.lists[0].items.size(), 2u);
    EXPECT_EQ(help.lists[0].items[0].term, "-h,--help");
    EXPECT_EQ(help.lists[0].items[0].description, "Print this help message and exit");
    // A term too long for its column has its description on the next line.
    EXPECT_EQ(help.lists[0].items[1].term, "--block-size INT:INT in [4 - 8192]");
    EXPECT_EQ(help.lists[0].items[1].description, "Block size of the packets");
    EXPECT_EQ(help.lists[1].title, "Subcommands");
    EXPECT_EQ(manpage::SubcommandNames(help), (std::vector<std::string>{"list", "text-send"}));
    EXPECT_EQ(help.footer, (std::vector<std::string>{"Exit status:", "    0  success", "  130  result 999: cancelled"}));
}

TEST(ParseHelp, FooterKeepsItsParagraphsAndIndentedLines)
{
    const HelpText help = manpage::ParseHelp(kEmulatorHelp);
    ASSERT_EQ(help.lists.size(), 1u);
    EXPECT_EQ(help.lists[0].items.size(), 1u);
    ASSERT_GE(help.footer.size(), 3u);
    EXPECT_EQ(help.footer[0], "Text. Nothing announces it, so:");
    EXPECT_EQ(help.footer[1], "  - a conversation is the PC's text;");
    EXPECT_EQ(help.footer.back(), "Exit status: 0 when stopped, 2 on a usage error.");
}

struct RoffCase {
    std::string name;
    std::string text;
    std::string roff;
};

void PrintTo(const RoffCase &c, std::ostream *out) { *out << c.name; }

class RoffText : public ::testing::TestWithParam<RoffCase> {};

TEST_P(RoffText, IsSafeForRoff)
{
    EXPECT_EQ(manpage::RoffText(GetParam().text), GetParam().roff);
}

INSTANTIATE_TEST_SUITE_P(Cases, RoffText,
                         ::testing::Values(RoffCase{"Plain", "plain text", "plain text"},
                                           RoffCase{"Hyphens", "--mode -1", "\\-\\-mode \\-1"},
                                           RoffCase{"Backslash", "A:\\dir", "A:\\edir"},
                                           RoffCase{"LeadingDot", ".hidden", "\\&.hidden"},
                                           RoffCase{"LeadingQuote", "'quoted'", "\\&'quoted'"},
                                           RoffCase{"InnerDot", "a.b", "a.b"}),
                         CaseName());

bool Holds(const std::string &page, const std::string &part)
{
    return page.find(part) != std::string::npos;
}

TEST(RenderManualPage, GivesEverySubcommandOptionAndExitStatus)
{
    manpage::ManualPage page;
    page.program = "tool";
    page.source = "Tessalink 9.8.7";
    page.help = manpage::ParseHelp(kToolHelp);
    page.subcommands = {{"list", manpage::ParseHelp(kListHelp)}, {"text-send", manpage::ParseHelp(kToolHelp)}};
    const std::string roff = manpage::RenderManualPage(page);
    EXPECT_EQ(roff.rfind(".TH TOOL 1 \"\" \"Tessalink 9.8.7\" \"User Commands\"\n", 0), 0u) << roff;
    EXPECT_TRUE(Holds(roff, ".SH NAME\ntool \\- Does things with a handheld.\n")) << roff;
    EXPECT_TRUE(Holds(roff, ".SH SYNOPSIS\n.B tool\n[OPTIONS] SUBCOMMAND\n")) << roff;
    EXPECT_TRUE(Holds(roff, ".TP\n\\fB\\-\\-block\\-size\\fR \\fIINT:INT in [4 \\- 8192]\\fR\n"
                            "Block size of the packets\n"))
        << roff;
    EXPECT_TRUE(Holds(roff, ".SS \"list\"\nStore the file list\n.PP\n.B tool\nlist [OPTIONS] [argument]\n")) << roff;
    EXPECT_TRUE(Holds(roff, ".TP\n\\fBargument\\fR \\fITEXT\\fR\nArgument of the request\n")) << roff;
    EXPECT_TRUE(Holds(roff, ".TP\n\\fB\\-o\\fR, \\fB\\-\\-output\\fR \\fITEXT\\fR\n")) << roff;
    EXPECT_TRUE(Holds(roff, ".SS \"text\\-send\"\n")) << roff;
    EXPECT_TRUE(Holds(roff, ".SH \"EXIT STATUS\"\n.TP\n.B 0\nsuccess\n.TP\n.B 130\nresult 999: cancelled\n")) << roff;
    // The subcommands' copies of the exit statuses are left out.
    EXPECT_EQ(roff.find("cancelled"), roff.rfind("cancelled")) << roff;
}

TEST(RenderManualPage, FooterParagraphsGoToTheDescriptionAndExitStatusProse)
{
    manpage::ManualPage page;
    page.program = "emu";
    page.source = "Tessalink 1.0.0";
    page.help = manpage::ParseHelp(kEmulatorHelp);
    const std::string roff = manpage::RenderManualPage(page);
    // The program's name that begins its own description is not said twice.
    EXPECT_TRUE(Holds(roff, ".SH NAME\nemu \\- an emulated handheld.\n")) << roff;
    EXPECT_TRUE(Holds(roff, ".PP\n.nf\nText. Nothing announces it, so:\n  \\- a conversation is the PC's text;\n"))
        << roff;
    EXPECT_TRUE(Holds(roff, ".PP\n\\&.hidden starts with a dot\n")) << roff;
    EXPECT_TRUE(Holds(roff, ".SH \"EXIT STATUS\"\n.PP\n0 when stopped, 2 on a usage error.\n")) << roff;
    EXPECT_FALSE(Holds(roff, "SUBCOMMANDS")) << roff;
}

}  // namespace
