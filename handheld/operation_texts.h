// The data of the packets that carry the file operations: the command codes,
// the PC's request texts as the handheld reads them, and the handheld's reply
// packets and answers.
#ifndef TESSALINK_HANDHELD_OPERATION_TEXTS_H
#define TESSALINK_HANDHELD_OPERATION_TEXTS_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace handheld {

enum class Operation { kList, kGet, kPut, kPutInChunks, kDelete, kRelease, kUnknown };

// "FF", "FU", "FD", "DL", "FC", "LE"; anything else is kUnknown.
Operation OperationOf(const std::string &code);

// A command packet: exactly "C" and a two-character code. Empty if not one.
std::optional<std::string> CommandCode(const std::vector<uint8_t> &data);

// The answers: "DOK" to a command, "AEX" to a put. "DNG" is the handheld's
// refusal: sent instead of "DOK" for a code it does not know, instead of the
// reply packets of "FU" when the file does not exist (its bytes 1-2 are not
// the code, so the PC takes it as a wrong reply), and instead of "AEX" when
// a put file cannot be stored.
extern const std::vector<uint8_t> kCommandAccepted;
extern const std::vector<uint8_t> kPutAccepted;
extern const std::vector<uint8_t> kRefusal;

struct Request {
    std::string name;  // the argument: a list pattern or a file name
    uint32_t size = 0; // "DL" only: the announced file size
};

// Reads "R" + code + argument + zero ("RDL" + name + "|" + size + zero for
// "DL"). Empty when the data does not have that form: a wrong prefix, no
// terminating zero, or a "DL" size that is not decimal digits fitting the
// PC's 32-bit signed size.
std::optional<Request> ParseRequest(const std::string &code, const std::vector<uint8_t> &data);

// The reply packets of "FF" and "FU": each "D" + code + up to dataBytes - 3
// bytes of the payload; none for an empty payload.
std::vector<std::vector<uint8_t>> BuildReplies(const std::string &code,
                                               const std::vector<uint8_t> &payload,
                                               size_t dataBytes);

}  // namespace handheld

#endif
