// The mode-1 block exchange as receiver, fed arbitrary bytes as what the
// handheld sends: the frame hunter, the data-frame receiver and the whole
// receive of a block (ENQ, SYN, the frame, ACK or NAK), into a buffer of any
// capacity, and the packet layer's list conversation on top of it. Each call
// must end in virtual time with a block count or a code from the result
// table, and never write past the buffer (sized exactly for the capacity).
//
// Input: byte 0 chooses what runs (bits 0-1) and whether blocks must be
// numbered (bit 2); byte 1 the timing (see Timing); bytes 2-3 the capacity,
// or the receive block size for the list (little-endian, folded into the
// range each takes); the rest is the wire.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "link/block_constants.h"
#include "link/com_line.h"
#include "link/link_file.h"
#include "link/link_protocol.h"
#include "link/my_exception.h"
#include "quiet_line_platform.h"
#include "sim_link.h"

namespace {

constexpr int kPort = 2;
constexpr unsigned kBlocksPerRun = 8;

class NumberedLink : public CLinkProtocol {
public:
    using CComLine::ExpectBlocksFrom;
    using CComLine::ReceiveControl;
    using CComLine::ReceiveDataFrame;
};

class DiscardingFile : public CLinkFile {
public:
    void Write(const uint8_t *, size_t) override {}
    size_t Read(uint8_t *, size_t) override { return 0; }
    int64_t Size() override { return 0; }
};

// Blocks one after another until one fails or the handheld's bytes have
// all been taken (waiting on for more only costs time).
int ReceiveBlocks(NumberedLink &link, const SimLine &line, unsigned capacity)
{
    fuzz::ExactBuffer buffer(capacity);
    return ResultOf([&] {
        for (unsigned i = 0; i < kBlocksPerRun && (i == 0 || line.QueuedToPc() > 0); ++i) {
            const int got = link.Receive(buffer.data(), capacity, 0);
            fuzz::Check(got >= 0 && static_cast<unsigned>(got) < capacity,
                        "a block and its closing zero fit the buffer");
            fuzz::Check(buffer.data()[got] == 0, "a block is closed with a zero byte");
        }
    });
}

// The frame hunter and the data-frame receiver on their own, as a block
// exchange uses them after its SYN.
int HuntFrames(NumberedLink &link, const SimLine &line, unsigned capacity)
{
    fuzz::ExactBuffer buffer(capacity);
    return ResultOf([&] {
        for (unsigned i = 0; i < kBlocksPerRun && (i == 0 || line.QueuedToPc() > 0); ++i) {
            const uint8_t verdict = link.ReceiveDataFrame(buffer.data(), capacity, 500);
            fuzz::Check(verdict == 0x06 || verdict == 0x15 || verdict == kNoControl,
                        "a data frame is taken, refused or missed");
            if (verdict == kNoControl && link.ReceiveControl(1000) == kNoControl)
                return;
        }
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const unsigned what = data[0] & 3;
    const bool numbered = (data[0] & 4) != 0;
    const fuzz::Timing timing(data[1]);
    const unsigned wide = data[2] | (data[3] << 8);
    // Capacities from 1 to a little past the largest block and its zero.
    const unsigned capacity = 1 + wide % (kMaxBlockData + 8);

    SimPlatform sim;
    const uint32_t start = sim.Now();
    SimLine line;
    sim.AttachPort(kPort, &line);
    fuzz::QuietLinePlatform quiet(sim, line);
    Platform *previous = InstallPlatform(&quiet);
    {
        NumberedLink link;
        link.SetMode(1);
        if (what == 3) {
            const unsigned span = static_cast<unsigned>(kMaxBlockSize - kMinBlockSize + 1);
            link.SetRecvBlockSize(kMinBlockSize + static_cast<int32_t>(wide % span));
        }
        fuzz::Check(link.Open(kPort, &link.LineStateOf(1)) == 1, "the simulated port opens");
        link.ExpectBlocksFrom(numbered ? 1 : kUnnumbered);
        const uint32_t lastArrival =
            fuzz::QueueHandheldBytes(line, sim.Now(), timing, data + 4, size - 4);
        sim.SetTimeLimit(lastArrival - start + fuzz::kQuietBoundMs);
        int code = 0;
        switch (what) {
        case 0:
        case 1:
            code = ReceiveBlocks(link, line, capacity);
            break;
        case 2:
            code = HuntFrames(link, line, capacity);
            break;
        default: {
            DiscardingFile output;
            code = link.FileList(output, "", nullptr);
            break;
        }
        }
        fuzz::Check(fuzz::IsLinkResult(code), "the result is in the result table");
        fuzz::Check(sim.Now() < lastArrival || sim.Now() - lastArrival <= fuzz::kQuietBoundMs,
                    "the call ends soon after the handheld's last byte");
        link.Close(0);
    }
    InstallPlatform(previous);
    return 0;
}
