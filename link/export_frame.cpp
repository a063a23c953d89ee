#include "export_frame.h"

namespace {
constexpr int32_t kGateSendBlockSize = 4096;
}  // namespace

bool EnterFrame(EntrySwitch entry) noexcept
{
    switch (entry) {
    case EntrySwitch::kModeZero:
        if (g_link.GetMode() == LinkMode::kRaw)
            g_link.SetXon(ModeIndex(LinkMode::kRaw), 0);
        return true;
    case EntrySwitch::kModeTwoGate:
        if (g_link.GetMode() != LinkMode::kRawWithDrainWait)
            return false;
        g_link.SetSendBlockSize(kGateSendBlockSize);
        return true;
    case EntrySwitch::kNone:
        return true;
    }
    return true;
}

void LeaveFrame(EntrySwitch entry) noexcept
{
    if (entry == EntrySwitch::kModeZero && g_link.GetMode() == LinkMode::kRaw)
        g_link.SetXon(ModeIndex(LinkMode::kRaw), 1);
    else if (entry == EntrySwitch::kModeTwoGate)
        g_link.SetSendBlockSize(kDefaultBlockSize);
}

bool BlockSizesAllowRun(EntrySwitch entry) noexcept
{
    return entry == EntrySwitch::kNone || g_link.BlockSizesUsable();
}
