#include "unannounced_text.h"

#include "packet_wire.h"

namespace handheld {

const char kUnannouncedTextRule[] =
    "modes 0 and 2: a first byte other than SOH and the control bytes EOT, ENQ, ACK, NAK, CAN; "
    "mode 1: a numbered frame, or the end mark alone";

bool BeginsUnannouncedText(const Unit &unit, LinkMode mode)
{
    if (unit.data.empty())
        return false;
    if (mode == LinkMode::kFramed)
        return unit.sequence != wire::kUnnumbered ||
               unit.data == std::vector<uint8_t>{wire::kTextEnd};
    switch (unit.data.front()) {
    case wire::kSoh:
    case wire::kEot:
    case wire::kEnq:
    case wire::kAck:
    case wire::kNak:
    case wire::kCan:
        return false;
    default:
        return true;
    }
}

}  // namespace handheld
