// Which names the page's server passes to the handheld, and in what bytes.
#include <gtest/gtest.h>

#include "handheld_names.h"

namespace ui {
namespace {

TEST(HandheldNames, RefusesWhatTheHandheldCouldNotTake)
{
    const NameRoom room{256, 0};
    struct Case {
        std::string name;
        bool ok;
    };
    const Case cases[] = {
        {"MEMO.TXT", true},
        {"", false},
        {".", false},
        {"..", false},
        {"../evil.txt", false},
        {"dir/file", false},
        {"dir\\file", false},
        {"a|123", false},
        {std::string("a\0b", 3), false},
        {"line\nbreak", false},
        {"tab\tname", false},
        {"del\x7f", false},
        {"...", true},
        {"space name.txt", true},
        {std::string(253, 'A'), true},   // "RFU", 253 bytes and the zero: 256 + 1, the most a packet takes
        {std::string(254, 'A'), false},  // one byte beyond
        {"\xF0\x9F\x98\x80.txt", false}, // no Shift-JIS code
    };
    for (const Case &c : cases) {
        std::string handheld;
        const std::string problem = HandheldNameProblem(c.name, room, handheld);
        EXPECT_EQ(problem.empty(), c.ok) << "[" << c.name << "]: " << problem;
    }
}

TEST(HandheldNames, GivesTheNameInShiftJisAndCountsItsBytes)
{
    std::string handheld;
    // "メモ.TXT": two characters of two bytes each in Shift-JIS.
    ASSERT_EQ(HandheldNameProblem("\xE3\x83\xA1\xE3\x83\xA2.TXT", {256, 0}, handheld), "");
    EXPECT_EQ(handheld, "\x83\x81\x83\x82.TXT");
    // At a send block of 12 a request holds "RFU", 9 bytes and the zero: the
    // name's 8 Shift-JIS bytes fit, as its 12 UTF-8 bytes would not.
    EXPECT_EQ(HandheldNameProblem("\xE3\x83\xA1\xE3\x83\xA2.TXT", {12, 0}, handheld), "");
    EXPECT_NE(HandheldNameProblem("\xE3\x83\xA1\xE3\x83\xA2.TXTX", {11, 0}, handheld), "");
}

TEST(HandheldNames, LeavesRoomForWhatTheRequestAlsoCarries)
{
    std::string handheld;
    // put-file-2: "RDL" + name + "|" + "12345" + zero within 4096 + 1.
    const NameRoom room{4096, 6};
    EXPECT_EQ(HandheldNameProblem(std::string(4087, 'B'), room, handheld), "");
    EXPECT_NE(HandheldNameProblem(std::string(4088, 'B'), room, handheld), "");
}

}  // namespace
}  // namespace ui
