// The layouts against the model built with the printf formats of the lines,
// on random texts; the output stays within the documented bound.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "convert/convert.h"
#include "convert/models.h"
#include "convert/test_util.h"

namespace {

struct Input {
    std::vector<std::string> strings;
    std::vector<char> buffer;  // the strings with their zero bytes, then the empty one
    size_t length = 0;         // T: up to the closing empty string
};

Input RandomInput(std::mt19937 &rng)
{
    static const std::string pool = "abcdefgh  \x1F\x1F\r\n\t\t\x1E" + testutil::Hex("81 82 98 9F A0 A2 E0 FC 40 7F FD");
    static const char *const headers[] = {"", "", "MEM1:", "mem1:", "MeM1:"};
    Input input;
    const size_t count = 1 + rng() % 3;
    for (size_t i = 0; i < count; ++i) {
        std::string s = model::RandomText(rng, pool, 1 + rng() % 40);
        if (i == 0)
            s = headers[rng() % 5] + s;
        input.strings.push_back(s);
        input.buffer.insert(input.buffer.end(), s.begin(), s.end());
        input.buffer.push_back(0);
    }
    input.length = input.buffer.size();
    input.buffer.push_back(0);
    return input;
}

// out holds prefix, and exactly the bound's room after it (AddressSanitizer
// sees any write beyond).
std::unique_ptr<char[]> Output(const std::string &prefix, size_t room)
{
    std::unique_ptr<char[]> out(new char[prefix.size() + room + 1]);
    std::memcpy(out.get(), prefix.c_str(), prefix.size() + 1);
    return out;
}

// The code page under test: the library's tables and the model's view of it.
class LayoutProperty : public ::testing::TestWithParam<int> {
protected:
    LayoutProperty() : m_tables(CodePageByNumber(static_cast<uint32_t>(GetParam())))
    {
        m_cp.doubleByte = GetParam() == 932;
    }

    CodePageTables m_tables;
    model::CodePage m_cp;
};

TEST_P(LayoutProperty, MemAgreesWithTheModelWithinTheBound)
{
    std::mt19937 rng(4401);
    for (int round = 0; round < 4000; ++round) {
        Input input = RandomInput(rng);
        const int width = static_cast<int>(rng() % 9) - 2;
        const std::string prefix = round % 3 == 0 ? "prev\r\n" : "";
        std::unique_ptr<char[]> out = Output(prefix, 3 * input.length);
        const char *end = MemAnalize(input.buffer.data(), out.get(), width, m_tables);
        const std::string expected = prefix + model::MemAnalize(input.strings, width, m_cp);
        ASSERT_EQ(std::string(out.get()), expected) << "width " << width;
        ASSERT_EQ(end, out.get() + expected.size());
    }
}

TEST_P(LayoutProperty, RepAgreesWithTheModelWithinTheBound)
{
    std::mt19937 rng(4402);
    for (int round = 0; round < 4000; ++round) {
        Input input = RandomInput(rng);
        const int lineWidth = static_cast<int>(rng() % 9) - 2;
        const int valueWidth = static_cast<int>(rng() % 9) - 2;
        const std::string prefix = round % 3 == 0 ? "prev" : "";
        std::unique_ptr<char[]> out = Output(prefix, 15 * input.length);
        const char *end = RepAnalize(input.buffer.data(), out.get(), lineWidth, valueWidth, m_tables);
        const std::string expected = prefix + model::RepAnalize(input.strings, lineWidth, valueWidth, m_cp);
        ASSERT_EQ(std::string(out.get()), expected) << lineWidth << " " << valueWidth;
        ASSERT_EQ(end, out.get() + expected.size());
    }
}

INSTANTIATE_TEST_SUITE_P(CodePages, LayoutProperty, ::testing::Values(932, 1252));

}  // namespace
