// The texts of the file operations as the handheld reads and writes them, the
// selection and lines of its list, and the cutting of its text stream.
#include <gtest/gtest.h>

#include "handheld/file_store.h"
#include "handheld/list_text.h"
#include "handheld/operation_texts.h"
#include "handheld/text_stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Zeroed(const std::string &text)
{
    Bytes out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

struct RequestCase {
    std::string code;
    Bytes data;
    std::string name;
    uint32_t size;
};

TEST(HandheldOperationTexts, RequestsAreRead)
{
    const RequestCase cases[] = {
        {"FF", Zeroed("RFF"), "", 0},
        {"FU", Zeroed("RFUMEMO.TXT"), "MEMO.TXT", 0},
        {"FC", Zeroed("RFCA"), "A", 0},
        {"FD", Zeroed("RFDA B"), "A B", 0},
        {"DL", Zeroed("RDLA|10000"), "A", 10000},
        {"DL", Zeroed("RDLA|0"), "A", 0},
        {"DL", Zeroed("RDLA|B|2147483647"), "A|B", 2147483647},
        // The text ends at the first zero; what follows is not the name's.
        {"FU", Bytes{'R', 'F', 'U', 'A', 0, 'B', 0}, "A", 0},
    };
    for (const RequestCase &c : cases) {
        std::optional<handheld::Request> request = handheld::ParseRequest(c.code, c.data);
        ASSERT_TRUE(request) << c.code << " " << c.name;
        EXPECT_EQ(request->name, c.name);
        EXPECT_EQ(request->size, c.size);
    }
}

TEST(HandheldOperationTexts, CommandCodes)
{
    EXPECT_EQ(handheld::CommandCode({'C', 'F', 'F'}), std::optional<std::string>("FF"));
    EXPECT_FALSE(handheld::CommandCode({'C', 'F'}));
    EXPECT_FALSE(handheld::CommandCode({'C', 'F', 'F', 0}));
    EXPECT_FALSE(handheld::CommandCode({'R', 'F', 'F'}));
}

TEST(HandheldOperationTexts, RepliesCarryTheCodeAndThePieces)
{
    const Bytes payload = {'a', 'b', 'c', 'd', 'e'};
    EXPECT_EQ(handheld::BuildReplies("FU", payload, 5),
              (std::vector<Bytes>{{'D', 'F', 'U', 'a', 'b'}, {'D', 'F', 'U', 'c', 'd'},
                                  {'D', 'F', 'U', 'e'}}));
    EXPECT_TRUE(handheld::BuildReplies("FF", {}, 256).empty());
}

TEST(HandheldListText, NamesMatchPatterns)
{
    const struct {
        const char *pattern, *name;
        bool matches;
    } cases[] = {
        {"", "ANY", true},         {"*", "", true},          {"*.TXT", "A.TXT", true},
        {"*.TXT", "A.TXT2", false}, {"A?C", "ABC", true},     {"A?C", "AC", false},
        {"*B*", "ABC", true},      {"*B*B", "ABCB", true},   {"A*B*C", "AXBXXC", true},
        {"A*B*C", "AXBXX", false}, {"ABC", "abc", false},    {"**", "X", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(handheld::NameMatches(c.pattern, c.name), c.matches)
            << c.pattern << " " << c.name;
}

TEST(HandheldListText, StoreListsSelectedNamesInOrder)
{
    handheld::MemoryFileStore store;
    store.files = {{"B.TXT", Bytes(12)}, {"A.TXT", {}}, {"C.DAT", Bytes(3)}};
    const std::string expected = "A.TXT\t0\r\nB.TXT\t12\r\n";
    EXPECT_EQ(store.List("*.TXT"), Bytes(expected.begin(), expected.end()));
    EXPECT_FALSE(store.Write("", {1}));
    Bytes out = {9};
    EXPECT_FALSE(store.Read("NONE", out));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(store.Remove("C.DAT"));
    EXPECT_FALSE(store.Remove("C.DAT"));
}

TEST(HandheldTextUnits, UnitsEndWithTheMarkOnlyAtTheEnd)
{
    EXPECT_EQ(handheld::TextUnits({}, false), std::vector<Bytes>{{0x1A}});
    EXPECT_EQ(handheld::TextUnits({'A', 0x1A, 'B'}, false),
              (std::vector<Bytes>{{'A', 0x1A, 'B', 0x1A}}));

    Bytes text(1200, 'x');
    text[511] = 0x1A;  // would end the first frame
    const std::vector<Bytes> units = handheld::TextUnits(text, true);
    Bytes joined;
    for (size_t i = 0; i < units.size(); ++i) {
        EXPECT_LE(units[i].size(), 512u);
        EXPECT_EQ(units[i].back() == 0x1A, i + 1 == units.size()) << "unit " << i;
        joined.insert(joined.end(), units[i].begin(), units[i].end());
    }
    text.push_back(0x1A);
    EXPECT_EQ(joined, text);
    EXPECT_EQ(units[0].size(), 511u);
}

}  // namespace
