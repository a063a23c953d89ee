// The packet receiver in the raw modes (0 and 2), fed arbitrary bytes as what
// the handheld sends: a whole list or get conversation, the reply loop alone,
// or the answer to a command, with any usable receive block size. Each call
// must end in virtual time with a code from the result table, and never
// write past the packet buffer (sized exactly for the block).
//
// Input: byte 0 chooses the mode (bit 0) and the conversation (bits 1-2);
// byte 1 the timing (see Timing); bytes 2-3 the receive block size
// (little-endian, folded into the usable range); the rest is the wire.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "link/link_file.h"
#include "link/link_protocol.h"
#include "link/my_exception.h"
#include "quiet_line_platform.h"
#include "sim_link.h"

namespace {

constexpr int kPort = 2;

// The reply loop and the command's answer, which the operations run after
// their own requests.
class ReceivingLink : public CLinkProtocol {
public:
    using CLinkProtocol::ReceiveAnswer;
    using CLinkProtocol::ReceiveReplies;
};

class CountingFile : public CLinkFile {
public:
    void Write(const uint8_t *data, size_t count) override
    {
        if (count > 0)
            fuzz::Check(data != nullptr, "a piece has its bytes");
        written += count;
    }
    size_t Read(uint8_t *, size_t) override { return 0; }
    int64_t Size() override { return 0; }
    size_t written = 0;
};

int Run(ReceivingLink &link, unsigned conversation)
{
    CountingFile output;
    switch (conversation) {
    case 0:
        return link.FileList(output, "", nullptr);
    case 1:
        return link.GetFile(output, "MEMO.TXT", nullptr);
    case 2:
        return ResultOf([&] { link.ReceiveReplies("FU", output, false); });
    default:
        return ResultOf([&] { link.ReceiveAnswer("DOK", KIVO_ERR_NO_DOK); });
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const int mode = (data[0] & 1) != 0 ? 2 : 0;
    const unsigned conversation = (data[0] >> 1) & 3;
    const fuzz::Timing timing(data[1]);
    const unsigned span = static_cast<unsigned>(kMaxBlockSize - kMinBlockSize + 1);
    const int32_t blockSize =
        kMinBlockSize + static_cast<int32_t>((data[2] | (data[3] << 8)) % span);

    SimPlatform sim;
    const uint32_t start = sim.Now();
    SimLine line;
    sim.AttachPort(kPort, &line);
    fuzz::QuietLinePlatform quiet(sim, line);
    Platform *previous = InstallPlatform(&quiet);
    {
        ReceivingLink link;
        link.SetMode(mode);
        link.SetRecvBlockSize(blockSize);
        fuzz::Check(link.Open(kPort, &link.LineStateOf(mode)) == 1, "the simulated port opens");
        const uint32_t lastArrival =
            fuzz::QueueHandheldBytes(line, sim.Now(), timing, data + 4, size - 4);
        sim.SetTimeLimit(lastArrival - start + fuzz::kQuietBoundMs);
        const int code = Run(link, conversation);
        fuzz::Check(fuzz::IsLinkResult(code), "the result is in the result table");
        fuzz::Check(sim.Now() - lastArrival <= fuzz::kQuietBoundMs || sim.Now() < lastArrival,
                    "the call ends soon after the handheld's last byte");
        link.Close(0);
    }
    InstallPlatform(previous);
    return 0;
}
