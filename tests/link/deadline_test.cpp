// The one deadline of the link layer on the virtual clock: where a wait ends,
// what is left of it, a wait across the clock's wrap, and a wait of 0.
#include <gtest/gtest.h>

#include "link/deadline.h"
#include "platform/sim_platform.h"

namespace {

class Deadline : public ::testing::Test {
protected:
    void SetUp() override { previous = InstallPlatform(&sim); }
    void TearDown() override { InstallPlatform(previous); }

    // Starts the clock 300 ms before it wraps.
    SimPlatform sim{0xFFFFFFFFu - 299u};
    Platform *previous = nullptr;
};

TEST_F(Deadline, AWaitOfNMsHasPassedOnceTheClockHasAdvancedByN)
{
    struct Case {
        const char *name;
        uint32_t ms;
    };
    for (const Case &c : {Case{"within the clock's range", 100}, Case{"across the wrap", 500}}) {
        SCOPED_TRACE(c.name);
        CDeadline wait(c.ms);
        sim.Advance(c.ms - 1);
        EXPECT_FALSE(wait.Passed());
        EXPECT_EQ(wait.RemainingMs(), 1u);
        sim.Advance(1);
        EXPECT_TRUE(wait.Passed());
        EXPECT_EQ(wait.RemainingMs(), 0u);
        sim.Advance(5);
        EXPECT_TRUE(wait.Passed());
        EXPECT_EQ(wait.RemainingMs(), 0u);
        wait.Restart();
        EXPECT_FALSE(wait.Passed());
        EXPECT_EQ(wait.RemainingMs(), c.ms);
    }
}

TEST_F(Deadline, AWaitOfZeroIsNoLimit)
{
    sim.SetTimeLimit(0xFFFFFFFFu);
    CDeadline none(0);
    sim.Advance(0x7FFFFFFFu);
    EXPECT_FALSE(none.Passed());
    EXPECT_EQ(none.WaitMs(10), 10u);
}

TEST_F(Deadline, AWaitForSomethingTakesAtMostWhatIsLeft)
{
    CDeadline wait(25);  // across the wrap
    EXPECT_EQ(wait.WaitMs(10), 10u);
    sim.Advance(20);
    EXPECT_EQ(wait.WaitMs(10), 5u);
    sim.Advance(5);
    EXPECT_EQ(wait.WaitMs(10), 0u);
}

}  // namespace
