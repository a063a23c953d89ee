// The words of every trace line that shows what went over the wire: a control
// byte's name, what a packet says, a mode-1 data frame. The library's trace
// file and the handheld emulator's -v trace both take them from here, so the
// two sides of a conversation read alike.
#ifndef TESSALINK_LINK_TRACE_DECODER_H
#define TESSALINK_LINK_TRACE_DECODER_H

#include <cstddef>
#include <cstdint>
#include <string>

// Who sent a packet: the PC's packets are commands, requests and file data;
// the handheld's are answers and replies, known by their first three bytes.
enum class TraceSender { kPc, kHandheld };

// Printable ASCII as it is, any other byte as a dot.
std::string TracePrintable(const uint8_t *data, size_t count);

// "EOT", "ACK"... for the control bytes of both layers, "0x41" otherwise.
std::string TraceControlName(uint8_t code);

// A packet by its fields: "#1 C FF (3 bytes)", its number, what its data
// says and the length of its data. What the data says: from the PC, "C FF"
// (a command), "R FU NAME" (a request, the first packet of the PC's turn;
// "R DL NAME size N" for a put in chunks), "RFD 5 bytes of file" (a piece of
// a put); otherwise, and from the handheld, its first three bytes ("DOK").
std::string TracePacketText(TraceSender sender, unsigned sequence, const uint8_t *data,
                            size_t count);

// A whole packet as it went over the wire, SOH to checksum: as
// TracePacketText, with what is wrong with it (" wrong complement",
// " wrong checksum", " cut short").
std::string TraceWirePacketText(TraceSender sender, const uint8_t *packet, size_t count);

// A mode-1 data frame: "data #1 length 5", "data unnumbered length 1".
std::string TraceFrameText(unsigned number, size_t length);

#endif
