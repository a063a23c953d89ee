// Faults that the handheld's protocol side can be told to commit, so that the
// PC's handling of each can be tested. Counters count down as they are used;
// flags clear themselves once used.
//
// The protocol side asks at fixed points whether a fault is due (the Take...
// operations, each using up the fault it reports); it keeps no fault logic
// of its own. Where a fault leads the conversation off its usual path, the
// transition table names it (see protocol_states.h).
#ifndef TESSALINK_HANDHELD_PROTOCOL_FAULTS_H
#define TESSALINK_HANDHELD_PROTOCOL_FAULTS_H

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "packet_wire.h"

namespace handheld {

struct ProtocolFaults {
    // NAK the next n packets or "DL" chunks received, however sound.
    unsigned nakReceived = 0;

    // CAN instead of the ACK to the next packet or chunk received.
    bool cancelInsteadOfAck = false;
    // CAN instead of the ACK to the PC's next EOT.
    bool cancelInsteadOfEotAck = false;
    // CAN instead of the ENQ after the handheld's next end of turn.
    bool cancelInsteadOfEnq = false;
    // CANs (1 or 2) sent where the handheld's next packet is due. In modes 0
    // and 2 the PC answers a first CAN with ENQ, and the packet follows; a
    // second one ends the conversation. In mode 1 the PC reads a CAN in place
    // of the packet: the packet is dropped, the turn ends without it and the
    // conversation with the turn.
    unsigned cancelsBeforePacket = 0;

    // The next command is answered "DNG" instead of "DOK".
    bool answerWithoutDok = false;
    // The reply packets of the next "FF" carry "FU", and those of "FU" "FF".
    bool wrongReplyCode = false;
    // The next put is answered "DNG" instead of "AEX" (the file is kept).
    bool answerWithoutAex = false;
    // The next answer packet ("DOK" or "AEX") goes out twice, numbered 1 and 2.
    bool twoAnswers = false;
    // The first reply packet of the next "FF" or "FU" has only 2 data bytes.
    bool shortReply = false;

    // The next n sendings of a packet (resendings included) are damaged.
    unsigned badComplement = 0;
    unsigned wrongSequence = 0;  // numbered one more than they should be
    unsigned badChecksum = 0;
    // Once the next packet is acknowledged, it is sent once more, unchanged.
    bool repeatPacket = false;

    // After this many more units (packets or control bytes), send nothing.
    std::optional<unsigned> silentAfter;

    // --- the hooks ---
    // Whether to refuse the packet or chunk just received.
    bool TakeNakReceived() { return Take(nakReceived); }
    // Whether to send CAN in place of the reply: an ACK to a packet or
    // chunk, the ACK to the PC's EOT, the ENQ that hands the turn over.
    bool TakeCancelInsteadOfAck() { return Take(cancelInsteadOfAck); }
    bool TakeCancelInsteadOfEotAck() { return Take(cancelInsteadOfEotAck); }
    bool TakeCancelInsteadOfEnq() { return Take(cancelInsteadOfEnq); }
    // Whether to send CAN where a packet is due, and whether one more is
    // due after it.
    bool TakeCancelBeforePacket() { return Take(cancelsBeforePacket); }
    bool MoreCancelsBeforePacket() const { return cancelsBeforePacket > 0; }
    // Whether to send the packet just acknowledged once more.
    bool TakeRepeatPacket() { return Take(repeatPacket); }
    // Whether the unit about to be sent goes nowhere.
    bool TakeSilence();

    // The handheld's answers and replies, as planned, changed by the faults
    // that are due. The command answer and the put answer: whether it is
    // still an acceptance after the change.
    bool ShapeCommandAnswer(std::deque<std::vector<uint8_t>> &packets);
    bool ShapePutAnswer(std::deque<std::vector<uint8_t>> &packets);
    // The reply code that the replies of "FF" or "FU" carry.
    std::string ReplyCode(const std::string &code);
    void ShapeReplies(std::deque<std::vector<uint8_t>> &packets, const std::string &code);

    // The damage done to the next sending of a packet: its number moved on,
    // its complement or checksum wrong; with the words for the trace.
    struct Damage {
        bool wrongNumber = false;
        PacketFlaws flaws;
        std::string Described() const;
    };
    Damage TakeDamage();

private:
    static bool Take(bool &flag);
    static bool Take(unsigned &count);
};

}  // namespace handheld

#endif
