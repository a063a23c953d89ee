// Every file-transfer and application-text export as one table, so that a
// test can run each of them, in each mode it runs in, the same way.
#ifndef TESSALINK_TESTS_EXPORT_CALLS_H
#define TESSALINK_TESTS_EXPORT_CALLS_H

#include <cstdint>
#include <iterator>
#include <string>

#include "tessalink.h"

// What a call is given: the local file(s) and the name(s) on the handheld
// (CR-separated lists for the multi-file exports), and the window (may be null).
struct ExportArgs {
    std::string local;
    std::string name;
    KIVO_HWND window = nullptr;
};

struct ExportCall {
    enum class Moves {
        kList,      // the handheld's list into the local file
        kGet,       // handheld files into the local files
        kPut,       // local files to the handheld
        kDelete,    // a handheld file deleted
        kRelease,   // the release alone
        kTextSend,  // the local file as the text stream
        kTextRecv,  // the handheld's text stream into the local file
    };
    const char *name;
    Moves moves;
    bool modeTwoOnly;   // the put-file-2 family
    bool manyFiles;     // takes lists of files and names
    bool releases;      // a success ends with the release
    int32_t (*call)(const ExportArgs &args);

    bool RunsIn(int mode) const { return !modeTwoOnly || mode == 2; }
};

namespace export_calls_detail {

using M = ExportCall::Moves;

inline const ExportCall kCalls[] = {
    {"KIVO_LinkFileList", M::kList, false, false, false,
     [](const ExportArgs &a) { return KIVO_LinkFileList(a.local.c_str(), "", a.window); }},
    {"KIVO_LinkGetFile", M::kGet, false, false, false,
     [](const ExportArgs &a) { return KIVO_LinkGetFile(a.local.c_str(), a.name.c_str(), a.window); }},
    {"KIVO_LinkPutFile", M::kPut, false, false, true,
     [](const ExportArgs &a) { return KIVO_LinkPutFile(a.local.c_str(), a.name.c_str(), a.window); }},
    {"KIVO_LinkPutFileEx", M::kPut, false, false, false,
     [](const ExportArgs &a) { return KIVO_LinkPutFileEx(a.local.c_str(), a.name.c_str(), a.window); }},
    {"KIVO_LinkPutFile2", M::kPut, true, false, true,
     [](const ExportArgs &a) { return KIVO_LinkPutFile2(a.local.c_str(), a.name.c_str(), a.window); }},
    {"KIVO_LinkPutFile2Ex", M::kPut, true, false, false,
     [](const ExportArgs &a) { return KIVO_LinkPutFile2Ex(a.local.c_str(), a.name.c_str(), a.window); }},
    {"KIVO_LinkPutFiles", M::kPut, false, true, true,
     [](const ExportArgs &a) { return KIVO_LinkPutFiles(a.local.c_str(), a.name.c_str(), a.window); }},
    {"KIVO_LinkPutFilesEx", M::kPut, false, true, false,
     [](const ExportArgs &a) { return KIVO_LinkPutFilesEx(a.local.c_str(), a.name.c_str(), a.window); }},
    {"KIVO_LinkPutFiles2", M::kPut, true, true, true,
     [](const ExportArgs &a) { return KIVO_LinkPutFiles2(a.local.c_str(), a.name.c_str(), a.window); }},
    {"KIVO_LinkPutFiles2Ex", M::kPut, true, true, false,
     [](const ExportArgs &a) { return KIVO_LinkPutFiles2Ex(a.local.c_str(), a.name.c_str(), a.window); }},
    {"KIVO_LinkDelFile", M::kDelete, false, false, false,
     [](const ExportArgs &a) { return KIVO_LinkDelFile(a.name.c_str(), a.window); }},
    {"KIVO_LinkRelease", M::kRelease, false, false, false,
     [](const ExportArgs &a) { return KIVO_LinkRelease(a.window); }},
    {"KIVO_AppTextSend", M::kTextSend, false, false, false,
     [](const ExportArgs &a) { return KIVO_AppTextSend(a.local.c_str(), a.window); }},
    {"KIVO_AppTextRecv", M::kTextRecv, false, false, false,
     [](const ExportArgs &a) { return KIVO_AppTextRecv(a.local.c_str(), a.window); }},
    // Tessalink extensions
    {"KIVO_LinkGetFiles", M::kGet, false, true, false,
     [](const ExportArgs &a) { return KIVO_LinkGetFiles(a.local.c_str(), a.name.c_str(), a.window); }},
};

}  // namespace export_calls_detail

inline const ExportCall *ExportCallsBegin() { return std::begin(export_calls_detail::kCalls); }
inline const ExportCall *ExportCallsEnd() { return std::end(export_calls_detail::kCalls); }

// Whether the call is an export beyond the original interface (the rows
// after "Tessalink extensions" above).
inline bool IsExtension(const ExportCall &call)
{
    return std::string(call.name) == "KIVO_LinkGetFiles";
}

// The table, for range-for.
struct AllExportCalls {
    const ExportCall *begin() const { return ExportCallsBegin(); }
    const ExportCall *end() const { return ExportCallsEnd(); }
};

#endif
