// Null pointers given to the conversions into memory: a defined result and
// nothing written (the FILE variants: convert_file_test.cpp).
#include <gtest/gtest.h>

#include "tessalink.h"

namespace {

TEST(NullArguments, MemoryConversionsGiveNoConnectionAndWriteNothing)
{
    uint8_t out[2] = {0xAA, 0xAA};
    EXPECT_EQ(KIVO_4TO3_MEM(nullptr, out), KIVO_ERR_NO_CONNECTION);
    EXPECT_EQ(KIVO_HEX2BIN_MEM(nullptr, out), KIVO_ERR_NO_CONNECTION);
    EXPECT_EQ(out[0], 0xAA);
    EXPECT_EQ(KIVO_4TO3_MEM("123P", nullptr), KIVO_ERR_NO_CONNECTION);
    EXPECT_EQ(KIVO_HEX2BIN_MEM("41", nullptr), KIVO_ERR_NO_CONNECTION);
    EXPECT_EQ(KIVO_CodeMask(nullptr), KIVO_ERR_NO_CONNECTION);
}

TEST(NullArguments, LayoutsGiveNullAndWriteNothing)
{
    char text[] = "abc\0";
    char out[16] = "keep";
    EXPECT_EQ(KIVO_MEM_Analize(nullptr, out, 5), nullptr);
    EXPECT_EQ(KIVO_MEM_Analize(text, nullptr, 5), nullptr);
    EXPECT_EQ(KIVO_REP_Analize(nullptr, out, 5, 5), nullptr);
    EXPECT_EQ(KIVO_REP_Analize(text, nullptr, 5, 5), nullptr);
    EXPECT_STREQ(out, "keep");
    EXPECT_STREQ(text, "abc");
}

}  // namespace
