#include "operation_texts.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace handheld {

namespace {

constexpr size_t kPrefixLength = 3;       // "R" or "D" and the code
constexpr uint32_t kLargestSize = 0x7FFFFFFF;

std::vector<uint8_t> Bytes(const char *text)
{
    return std::vector<uint8_t>(text, text + std::strlen(text));
}

std::optional<uint32_t> ParseSize(const std::string &digits)
{
    if (digits.empty() || digits.size() > 10)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > kLargestSize)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

}  // namespace

const std::vector<uint8_t> kCommandAccepted = Bytes("DOK");
const std::vector<uint8_t> kPutAccepted = Bytes("AEX");
const std::vector<uint8_t> kRefusal = Bytes("DNG");

Operation OperationOf(const std::string &code)
{
    if (code == "FF") return Operation::kList;
    if (code == "FU") return Operation::kGet;
    if (code == "FD") return Operation::kPut;
    if (code == "DL") return Operation::kPutInChunks;
    if (code == "FC") return Operation::kDelete;
    if (code == "LE") return Operation::kRelease;
    return Operation::kUnknown;
}

std::optional<std::string> CommandCode(const std::vector<uint8_t> &data)
{
    if (data.size() != kPrefixLength || data[0] != 'C')
        return std::nullopt;
    return std::string(data.begin() + 1, data.end());
}

std::optional<Request> ParseRequest(const std::string &code, const std::vector<uint8_t> &data)
{
    const std::string prefix = "R" + code;
    if (data.size() < kPrefixLength + 1 || !std::equal(prefix.begin(), prefix.end(), data.begin()))
        return std::nullopt;
    auto zero = std::find(data.begin() + kPrefixLength, data.end(), uint8_t{0});
    if (zero == data.end())
        return std::nullopt;
    Request request;
    request.name.assign(data.begin() + kPrefixLength, zero);
    if (OperationOf(code) != Operation::kPutInChunks)
        return request;

    // The name may itself hold '|': the size follows the last one.
    const size_t bar = request.name.rfind('|');
    if (bar == std::string::npos)
        return std::nullopt;
    std::optional<uint32_t> size = ParseSize(request.name.substr(bar + 1));
    if (!size)
        return std::nullopt;
    request.size = *size;
    request.name.erase(bar);
    return request;
}

std::vector<std::vector<uint8_t>> BuildReplies(const std::string &code,
                                               const std::vector<uint8_t> &payload,
                                               size_t dataBytes)
{
    const size_t piece = dataBytes - kPrefixLength;
    std::vector<std::vector<uint8_t>> replies;
    for (size_t at = 0; at < payload.size(); at += piece) {
        std::vector<uint8_t> data = {'D'};
        data.insert(data.end(), code.begin(), code.end());
        const size_t n = std::min(piece, payload.size() - at);
        data.insert(data.end(), payload.begin() + static_cast<std::ptrdiff_t>(at),
                    payload.begin() + static_cast<std::ptrdiff_t>(at + n));
        replies.push_back(std::move(data));
    }
    return replies;
}

}  // namespace handheld
