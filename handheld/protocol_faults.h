// Faults that the handheld's protocol side can be told to commit, so that the
// PC's handling of each can be tested. Counters count down as they are used;
// flags clear themselves once used.
#ifndef TESSALINK_HANDHELD_PROTOCOL_FAULTS_H
#define TESSALINK_HANDHELD_PROTOCOL_FAULTS_H

#include <optional>

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
};

}  // namespace handheld

#endif
