// The progress line: share, bytes and rate, within the terminal's width.
#include <gtest/gtest.h>

#include <set>

#include "progress_text.h"

namespace {

using cli::ProgressLine;
using cli::ProgressState;

TEST(ProgressText, ByteCounts)
{
    EXPECT_EQ(cli::ByteCount(0), "0 B");
    EXPECT_EQ(cli::ByteCount(1023), "1023 B");
    EXPECT_EQ(cli::ByteCount(1024), "1.0 KiB");
    EXPECT_EQ(cli::ByteCount(1536), "1.5 KiB");
    EXPECT_EQ(cli::ByteCount(5u * 1024 * 1024), "5.0 MiB");
}

TEST(ProgressText, KnownTotalShowsABarTheShareAndTheRate)
{
    ProgressState state;
    state.done = 2048;
    state.total = 4096;
    state.seconds = 2;
    const std::string line = ProgressLine(state, 80);
    EXPECT_NE(line.find(" 50%  2.0 KiB / 4.0 KiB  1.0 KiB/s"), std::string::npos) << line;
    const size_t filled = line.find_last_of('#') - line.find('#') + 1;
    const size_t bar = line.find(']') - 1;
    EXPECT_EQ(filled, bar / 2) << line;
}

TEST(ProgressText, UnknownTotalTurnsASpinner)
{
    ProgressState state;
    state.done = 100;
    state.seconds = 1;
    std::set<char> faces;
    for (unsigned tick = 0; tick < 4; ++tick) {
        state.tick = tick;
        const std::string line = ProgressLine(state, 80);
        EXPECT_EQ(line.substr(1), " 100 B  100 B/s");
        faces.insert(line[0]);
    }
    EXPECT_EQ(faces.size(), 4u);
}

TEST(ProgressText, NoRateBeforeTimePassesAndNoShareAboveAll)
{
    ProgressState state;
    state.done = 500;
    state.total = 100;
    const std::string line = ProgressLine(state, 80);
    EXPECT_NE(line.find("100%  100 B / 100 B"), std::string::npos) << line;
    EXPECT_EQ(line.find("/s"), std::string::npos) << line;
}

TEST(ProgressText, LabelComesFirstAndTheBarNarrowsForIt)
{
    ProgressState state;
    state.done = 50;
    state.total = 100;
    const std::string bare = ProgressLine(state, 60);
    state.label = "2/5 MEMO.TXT";
    const std::string labelled = ProgressLine(state, 60);
    EXPECT_EQ(labelled.rfind("2/5 MEMO.TXT  [", 0), 0u) << labelled;
    EXPECT_NE(labelled.find(" 50%  50 B / 100 B"), std::string::npos) << labelled;
    EXPECT_EQ(labelled.size(), bare.size()) << labelled;
    state.label = std::string(100, 'L');
    EXPECT_EQ(ProgressLine(state, 60), std::string(59, 'L'));
}

TEST(ProgressText, JobSummary)
{
    EXPECT_EQ(cli::JobSummary(3, 3, 70013, 2.34), "3 files, 68.4 KiB (70013 bytes) in 2.3 s");
    EXPECT_EQ(cli::JobSummary(1, 1, 6, 0.5), "1 file, 6 B in 0.5 s");
    EXPECT_EQ(cli::JobSummary(0, 0, 0, 0), "0 files, 0 B in 0.0 s");
    EXPECT_EQ(cli::JobSummary(1, 3, 2048, 1), "1 of 3 files, 2.0 KiB (2048 bytes) in 1.0 s");
    EXPECT_EQ(cli::JobSummary(0, 1, 0, 0.04), "0 of 1 file, 0 B in 0.0 s");
}

TEST(ProgressText, NeverReachesTheLastColumn)
{
    ProgressState state;
    state.done = 123456789;
    state.total = 987654321;
    state.seconds = 3;
    for (unsigned columns : {0u, 1u, 10u, 30u, 45u, 80u, 300u}) {
        const std::string line = ProgressLine(state, columns);
        EXPECT_LT(line.size(), columns == 0 ? 1u : columns) << columns;
    }
}

}  // namespace
