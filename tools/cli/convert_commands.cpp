#include "convert_commands.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "layout_strings.h"
#include "local_io.h"
#include "result_codes.h"
#include "tessalink.h"

namespace cli {

namespace {

constexpr size_t kPlainLayoutFactor = 3;
constexpr size_t kLabelledLayoutFactor = 15;

int WriteOutput(const Request &request, const char *data, size_t size)
{
    const std::string problem = WriteWhole(request.output, data, size);
    return problem.empty() ? kExitSuccess : ReportFileFailure(request.command, problem);
}

// The decoders: into memory for standard output, else the file export.
using DecodeToMemory = int32_t (*)(const char *, uint8_t *);
using DecodeToFile = int32_t (*)(const char *, const char *);

int Decode(const Request &request, const std::string &text, DecodeToMemory toMemory, DecodeToFile toFile)
{
    if (request.output != kStandardStream)
        return ReportResult(request.command, toFile(text.c_str(), request.output.c_str()));
    std::vector<uint8_t> bytes(text.size() + 1);
    const int32_t count = toMemory(text.c_str(), bytes.data());
    if (count < 0)
        return ReportResult(request.command, count);
    return WriteOutput(request, reinterpret_cast<const char *>(bytes.data()), static_cast<size_t>(count));
}

// Files and echo end the digits with a line end; as digits they would make a
// byte of their own or spoil the last one.
std::string WithoutClosingLineEnds(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

int CodeMask(const Request &request, std::string text)
{
    KIVO_CodeMask(text.data());
    return WriteOutput(request, text.c_str(), std::strlen(text.c_str()));
}

using Layout = std::function<char *(char *text, char *out)>;

int RunLayout(const Request &request, const std::string &text, size_t factor, const Layout &layout)
{
    std::string strings = LayoutStrings(text);
    std::vector<char> out(LayoutOutputBound(strings, factor), '\0');
    const char *end = layout(strings.data(), out.data());
    if (end == nullptr)
        return ReportResult(request.command, KIVO_ERR_NO_CONNECTION);
    return WriteOutput(request, out.data(), static_cast<size_t>(end - out.data()));
}

using Conversion = std::function<int(const Request &, const std::string &)>;

const std::map<std::string, Conversion> &Conversions()
{
    static const std::map<std::string, Conversion> conversions = {
        {"decode43",
         [](const Request &r, const std::string &text) { return Decode(r, text, KIVO_4TO3_MEM, KIVO_4TO3_FILE); }},
        {"hex2bin",
         [](const Request &r, const std::string &text) {
             return Decode(r, WithoutClosingLineEnds(text), KIVO_HEX2BIN_MEM, KIVO_HEX2BIN_FILE);
         }},
        {"codemask", CodeMask},
        {"layout-mem",
         [](const Request &r, const std::string &text) {
             return RunLayout(r, text, kPlainLayoutFactor,
                              [&](char *in, char *out) { return KIVO_MEM_Analize(in, out, r.width); });
         }},
        {"layout-rep",
         [](const Request &r, const std::string &text) {
             return RunLayout(r, text, kLabelledLayoutFactor, [&](char *in, char *out) {
                 return KIVO_REP_Analize(in, out, r.width, r.valueWidth);
             });
         }},
    };
    return conversions;
}

}  // namespace

bool IsConversion(const std::string &command)
{
    return Conversions().count(command) != 0;
}

int RunConversion(const Request &request)
{
    std::string text;
    const std::string problem = ReadWhole(request.input, text);
    if (!problem.empty())
        return ReportFileFailure(request.command, problem);
    // The exports take zero-terminated text: a zero byte would silently cut it.
    const size_t zero = text.find('\0');
    if (zero != std::string::npos)
        return ReportFailure(request.command,
                             "the input holds a zero byte at offset " + std::to_string(zero) +
                                 "; the conversions take text",
                             kExitBadInput);
    return Conversions().at(request.command)(request, text);
}

}  // namespace cli
