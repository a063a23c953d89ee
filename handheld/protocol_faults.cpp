#include "protocol_faults.h"

#include "operation_texts.h"

namespace handheld {

bool ProtocolFaults::Take(bool &flag)
{
    const bool was = flag;
    flag = false;
    return was;
}

bool ProtocolFaults::Take(unsigned &count)
{
    if (count == 0)
        return false;
    --count;
    return true;
}

bool ProtocolFaults::TakeSilence()
{
    if (!silentAfter)
        return false;
    if (*silentAfter == 0)
        return true;
    --*silentAfter;
    return false;
}

bool ProtocolFaults::ShapeCommandAnswer(std::deque<std::vector<uint8_t>> &packets)
{
    if (Take(answerWithoutDok))
        packets.front() = kRefusal;
    if (Take(twoAnswers))
        packets.push_back(packets.front());
    return packets.front() == kCommandAccepted;
}

bool ProtocolFaults::ShapePutAnswer(std::deque<std::vector<uint8_t>> &packets)
{
    if (packets.front() == kPutAccepted && Take(answerWithoutAex))
        packets.front() = kRefusal;
    if (Take(twoAnswers))
        packets.push_back(packets.front());
    return packets.front() == kPutAccepted;
}

std::string ProtocolFaults::ReplyCode(const std::string &code)
{
    if (!Take(wrongReplyCode))
        return code;
    return code == "FF" ? "FU" : "FF";
}

void ProtocolFaults::ShapeReplies(std::deque<std::vector<uint8_t>> &packets,
                                  const std::string &code)
{
    if (Take(shortReply))
        packets.push_front({'D', static_cast<uint8_t>(code[0])});
}

ProtocolFaults::Damage ProtocolFaults::TakeDamage()
{
    Damage damage;
    damage.wrongNumber = Take(wrongSequence);
    damage.flaws.badComplement = Take(badComplement);
    damage.flaws.badChecksum = Take(badChecksum);
    return damage;
}

std::string ProtocolFaults::Damage::Described() const
{
    std::string out;
    if (wrongNumber)
        out += " (wrong number)";
    if (flaws.badComplement)
        out += " (wrong complement)";
    if (flaws.badChecksum)
        out += " (wrong checksum)";
    return out;
}

}  // namespace handheld
