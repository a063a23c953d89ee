// The application-text exports: a file sent line by line and closed with
// 0x1A, and the handheld's stream received until a step ends with 0x1A; raw
// in mode 0, in numbered blocks in mode 1.
#include <gtest/gtest.h>

#include "handheld/line_side.h"
#include "link/link_object.h"
#include "platform/sim_window.h"
#include "export_fixture.h"
#include "support/sim_fixture.h"
#include "support/sim_handheld.h"
#include "support/temp_dir.h"
#include "tessalink.h"
#include "packet_wire.h"

namespace {

using wire::Bytes;
using wire::Join;
using Progress = std::vector<std::pair<uintptr_t, intptr_t>>;

class AppText : public ExportFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        KIVO_SetPort(0, kPort);
        KIVO_SetPort(1, kPort);
        KIVO_SetMode(0);
    }
    TempDir dir;
    SimWindow window;
};

TEST_F(AppText, SendGoesLineByLineAndEndsWithTheMark)
{
    Bytes longLine(9999, 'x');
    longLine.push_back('\n');
    struct Case {
        const char *name;
        Bytes file;
        Bytes wire;
        Progress progress;
    };
    const Case cases[] = {
        {"empty", {}, {0x1A}, {}},
        {"a final 0x1A is not sent twice", {0x41, 0x42, 0x0D, 0x0A, 0x1A},
         {0x41, 0x42, 0x0D, 0x0A, 0x1A}, {{4, 5}, {0, 5}}},
        {"0x1A inside a line is sent", {0x41, 0x1A, 0x42, 0x0D, 0x0A},
         {0x41, 0x1A, 0x42, 0x0D, 0x0A, 0x1A}, {{5, 5}}},
        {"two lines", {'a', '\n', 'b', 'c'}, {'a', '\n', 'b', 'c', 0x1A}, {{2, 4}, {2, 4}}},
        {"zero bytes are text too", {0x41, 0x00, 0x42, 0x0A}, {0x41, 0x00, 0x42, 0x0A, 0x1A},
         {{4, 4}}},
        {"a long line in pieces", longLine, Join({longLine, {0x1A}}), {{8190, 10000}, {1810, 10000}}},
    };
    for (const Case &c : cases) {
        SimLine fresh;
        sim.AttachPort(kPort, &fresh);
        SimWindow w;
        const std::string path = dir.Write("text.txt", c.file);
        EXPECT_EQ(KIVO_AppTextSend(path.c_str(), w.Handle()), 0) << c.name;
        EXPECT_EQ(fresh.FromPcValues(), c.wire) << c.name;
        EXPECT_EQ(w.Progress(), c.progress) << c.name;
        EXPECT_FALSE(fresh.IsOpen()) << c.name;
    }
}

TEST_F(AppText, SendOfAMissingFileTouchesNothing)
{
    EXPECT_EQ(KIVO_AppTextSend(dir.Path("none").c_str(), nullptr), KIVO_ERR_FILE);
    EXPECT_EQ(line.OpenCount(), 0u);
}

TEST_F(AppText, ReceiveStopsAtAStepEndingWithTheMark)
{
    const uint32_t t0 = sim.Now();
    line.SendToPc({0x41, 0x1A, 0x42}, t0 + 600);          // 0x1A inside a step: go on
    line.SendToPc({0x43, 0x44, 0x1A}, t0 + 600 + 2500);   // after two silent seconds
    line.SendToPc({0x45}, t0 + 600 + 5000);               // never read
    const std::string out = dir.Path("in.txt");
    EXPECT_EQ(KIVO_AppTextRecv(out.c_str(), window.Handle()), 0);
    EXPECT_EQ(TempDir::Read(out), (Bytes{0x41, 0x1A, 0x42, 0x43, 0x44, 0x1A}));
    const Progress progress = window.Progress();
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress.front(), (std::pair<uintptr_t, intptr_t>{3, 0}));
    EXPECT_EQ(progress.back(), (std::pair<uintptr_t, intptr_t>{3, 0}));
    for (size_t i = 1; i + 1 < progress.size(); ++i)
        EXPECT_EQ(progress[i].first, 0u) << "a silent second reports 0 bytes";
    EXPECT_EQ(line.QueuedToPc(), 1u);
}

TEST_F(AppText, ASilentHandheldReportsEverySecondUntilCancelled)
{
    window.AnswerWith([&](const SimWindow::Message &m) -> intptr_t {
        return m.message == WM_LINK_POLL && window.Progress().size() >= 5;
    });
    const uint32_t t0 = sim.Now();
    EXPECT_EQ(KIVO_AppTextRecv(dir.Path("in.txt").c_str(), window.Handle()), KIVO_CANCELLED);
    std::vector<uint32_t> times;
    for (const SimWindow::Message &m : window.Messages())
        if (m.message == WM_LINK_PROGRESS)
            times.push_back(m.time - t0);
    ASSERT_EQ(times.size(), 5u);
    for (size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 1000u);
        EXPECT_LE(times[i] - times[i - 1], 1003u);
    }
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(AppText, WithoutAWindowASilentHandheldIsGivenUpAfterSixMinutes)
{
    const uint32_t t0 = sim.Now();
    EXPECT_EQ(KIVO_AppTextRecv(dir.Path("in.txt").c_str(), nullptr), KIVO_ERR_BLOCK_RECV);
    EXPECT_GE(sim.Now() - t0, 360000u);
    EXPECT_LE(sim.Now() - t0, 362000u);
}

TEST_F(AppText, ReceiveWithoutAConnectionLeavesAnEmptyFile)
{
    KIVO_SetPort(0, 9);
    const std::string out = dir.Write("in.txt", {1, 2, 3});
    EXPECT_EQ(KIVO_AppTextRecv(out.c_str(), nullptr), KIVO_ERR_NO_CONNECTION);
    EXPECT_TRUE(TempDir::Read(out).empty());
}

class AppTextModeOne : public AppText {
protected:
    void SetUp() override
    {
        AppText::SetUp();
        KIVO_SetMode(1);
        line.AttachPeer(&peer);
    }
    handheld::LineSide side{LinkMode::kFramed};
    SimHandheld peer{side};
    bool sent = false;
};

TEST_F(AppTextModeOne, SendTravelsInNumberedBlocksAndAnUnnumberedMark)
{
    const Bytes text(1000, 't');
    const std::string path = dir.Write("text.txt", text);
    EXPECT_EQ(KIVO_AppTextSend(path.c_str(), nullptr), 0);
    std::vector<handheld::Unit> units = side.TakeReceived();
    ASSERT_EQ(units.size(), 3u);
    EXPECT_EQ(units[0].data.size(), 512u);
    EXPECT_EQ(units[0].sequence, 1);
    EXPECT_EQ(units[1].data.size(), 488u);
    EXPECT_EQ(units[1].sequence, 2);
    EXPECT_EQ(units[2].data, Bytes{0x1A});
    EXPECT_EQ(units[2].sequence, 0xFFFF);
}

TEST_F(AppTextModeOne, ReceiveTakesNumberedBlocksUntilTheMark)
{
    peer.SetPump([this](uint32_t) {
        // Once the PC is connected, the handheld sends its text in two blocks.
        if (!sent && side.SwitchesSeen() == 1) {
            sent = true;
            side.SendUnit({'h', 'e', 'l', 'l', 'o', '\n'}, 1);
            side.SendUnit({'w', 'o', 'r', 'l', 'd', 0x1A}, 2);
        }
    });
    const std::string out = dir.Path("in.txt");
    EXPECT_EQ(KIVO_AppTextRecv(out.c_str(), window.Handle()), 0);
    EXPECT_EQ(TempDir::Read(out), wire::Text("hello\nworld\x1A"));
    EXPECT_EQ(window.Progress(), (Progress{{6, 0}, {6, 0}}));
}

}  // namespace
