// CCallTrace: the trace of one export call. When the caller's environment
// names a file in TESSALINK_TRACE, the call appends to it a line for its
// start, one for each packet, mode-1 frame and control byte the library sends
// or receives, and one for its result. Each line is the milliseconds since the
// call began (the platform's clock), a mark ("->" sent by the PC, "<-"
// received by it, "call" and "done" for the call itself), and what went over
// the wire in the trace decoder's words:
//
//       0 call KIVO_LinkFileList: mode 0, COM1, 9600 baud
//     503 -> #1 C FF (3 bytes)
//     510 <- ACK
//    1620 done KIVO_LinkFileList: 0
//
// With the variable unset (or empty) every method returns at once: nothing is
// formatted. A file that cannot be opened or written is given up silently; the
// call runs as it would without it.
#ifndef TESSALINK_LINK_CALL_TRACE_H
#define TESSALINK_LINK_CALL_TRACE_H

#include <cstdint>
#include <memory>
#include <string>

#include "../platform/platform.h"

// The environment variable that names the trace file.
constexpr const char *kTraceVariable = "TESSALINK_TRACE";

enum class TraceDirection { kSent, kReceived };

class CCallTrace {
public:
    CCallTrace();
    ~CCallTrace();
    CCallTrace(const CCallTrace &) = delete;
    CCallTrace &operator=(const CCallTrace &) = delete;

    // Reads the variable and, if it names a file that opens, writes the start
    // line: the export's name and the line it will use.
    void Begin(const char *call, int mode, int port, int baud) noexcept;
    // Writes the result line and closes the file.
    void End(int result) noexcept;

    // A control byte of the packet layer, or a mode-1 control frame's code.
    void Control(TraceDirection direction, uint8_t code) noexcept;
    // A whole packet as it went over the wire, SOH to checksum.
    void Packet(TraceDirection direction, const uint8_t *packet, unsigned count) noexcept;
    // A mode-1 data frame: its number and block length, what its block holds
    // when that is a packet or a control byte ("data #1 length 10: #1 DOK
    // (3 bytes)"; block may be null), and what is wrong with it (null:
    // nothing). In mode 1 the packets and control bytes show only so, inside
    // their frames.
    void Frame(TraceDirection direction, unsigned number, const uint8_t *block, unsigned length,
               const char *flaw) noexcept;
    // Bytes outside packets: "chunk", "text".
    void Bytes(TraceDirection direction, const char *what, unsigned count) noexcept;
    // A step that carries no data: "probe", "switch sequence", "end of text".
    void Step(TraceDirection direction, const char *what) noexcept;

private:
    // Formats a line with text() only while tracing.
    template <typename Text>
    void Line(const char *mark, Text &&text) noexcept;
    void Write(const char *mark, const std::string &text);

    std::unique_ptr<PlatformFile> m_file;  // null while not tracing
    uint32_t m_start;
    bool m_atStart = false;  // the call's own line: at 0 by definition
    const char *m_call;
};

#endif
