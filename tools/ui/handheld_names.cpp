#include "handheld_names.h"

#include "text_encoding.h"

namespace ui {

namespace {

// "RFU", "RFD", "RFC", "RDL": every request code is three letters.
constexpr int32_t kRequestCodeSize = 3;
constexpr int32_t kClosingZero = 1;
// A packet may carry one byte more than the send block size.
constexpr int32_t kPacketDataBeyondBlock = 1;

bool IsControl(unsigned char byte)
{
    return byte < 0x20 || byte == 0x7F;
}

}  // namespace

std::string HandheldNameProblem(const std::string &name, const NameRoom &room, std::string &handheldName)
{
    if (name.empty())
        return "the name is empty";
    if (name == "." || name == "..")
        return "\"" + name + "\" is no file name";
    for (const char c : name) {
        if (c == '/' || c == '\\' || c == '|')
            return std::string("a name on the handheld holds no '") + c + "'";
        if (IsControl(static_cast<unsigned char>(c)))
            return "a name on the handheld holds no control characters";
    }
    if (!Utf8ToShiftJis(name, handheldName))
        return "the name holds a character that the handheld's Shift-JIS has no code for";
    const int64_t request = kRequestCodeSize + static_cast<int64_t>(handheldName.size()) + room.extra + kClosingZero;
    const int64_t limit = static_cast<int64_t>(room.sendBlock) + kPacketDataBeyondBlock;
    if (request > limit)
        return "the name is too long for one request packet: at most " +
               std::to_string(limit - kRequestCodeSize - room.extra - kClosingZero) +
               " bytes at the send block size " + std::to_string(room.sendBlock);
    return "";
}

}  // namespace ui
