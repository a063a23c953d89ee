// A file to send that never ends (a device such as /dev/zero given as the
// file) cannot keep a put or a text send going for ever: past the largest
// size a file can have in the protocol, the call fails as a file error. The
// limit is lowered here so that the test can reach it.
#include <gtest/gtest.h>

#include <cstring>

#include "link/caller_file.h"
#include "raw_link.h"
#include "support/sim_handheld.h"

namespace {

// Bytes without end.
class EndlessFile : public CLinkFile {
public:
    void Write(const uint8_t *, size_t) override {}
    size_t Read(uint8_t *buffer, size_t count) override
    {
        std::memset(buffer, 'A', count);
        return count;
    }
    int64_t Size() override { return 0; }
};

TEST_F(RawLinkTest, APutOrTextSendOfAFileWithoutEndStopsAtTheSendLimit)
{
    HandheldOnLine handheld(2);
    line.AttachPeer(&handheld.peer);
    link.SetSendLimit(5000);
    EndlessFile endless;
    EXPECT_THROW(link.PutFile(endless, "E", nullptr), CFileError);

    CCallerFile zeros("/dev/zero", FileAccess::kRead);
    ASSERT_TRUE(zeros.IsOpen());
    EXPECT_THROW(link.SendAppText(zeros, nullptr), CFileError);
    line.AttachPeer(nullptr);
}

}  // namespace
