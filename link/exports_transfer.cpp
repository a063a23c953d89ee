// The file transfer exports: list, get (one file or a list), put (one file or
// a list, packets or chunks, with or without the closing release), delete and
// release. Each is one connection, run inside the export frame.
#include "../include/tessalink.h"
#include "export_frame.h"
#include "link_object.h"
#include "name_list.h"

namespace {

enum class PutKind { kPackets, kChunks };

EntrySwitch EntryOf(PutKind kind)
{
    return kind == PutKind::kPackets ? EntrySwitch::kModeZero : EntrySwitch::kModeTwoGate;
}

// A text the export cannot run without refuses the call with -999.
int32_t RefusedWithout(const char *text)
{
    return text == nullptr ? KIVO_ERR_NO_CONNECTION : 0;
}

int Put(PutKind kind, CLinkFile &file, const char *name, KIVO_HWND window)
{
    return kind == PutKind::kPackets ? g_link.PutFile(file, name, WindowOf(window))
                                     : g_link.PutFile2(file, name, WindowOf(window));
}

// A successful put is followed, where the export says so, by the release; its
// own result is not the export's.
int ReleaseAfter(int result, bool release)
{
    if (result == 0 && release)
        g_link.Release(nullptr);
    return result;
}

int32_t PutOne(const char *exportName, PutKind kind, bool release, const char *path,
               const char *name, KIVO_HWND window)
{
    const ExportCall call{exportName, EntryOf(kind), window, RefusedWithout(name)};
    return RunExport(call, {path, FileAccess::kRead}, [&](CCallerFile &file) {
        return ReleaseAfter(Put(kind, file, name, window), release);
    });
}

// Walks the pairs of two CR-separated lists on the one connection: each local
// file is opened only when its pair's turn comes (-500 when it cannot be) and
// handed to step with its name; the walk stops at the first failure. No pair
// at all: -999.
template <typename Step>
int EachPair(const char *paths, const char *names, FileAccess access, Step &&step)
{
    CNameList localPaths(paths);
    CNameList handheldNames(names);
    int result = KIVO_ERR_NO_CONNECTION;
    for (;;) {
        const char *path = localPaths.Next();
        const char *name = handheldNames.Next();
        if (path == nullptr || name == nullptr)
            break;
        CCallerFile file(path, access);
        if (!file.IsOpen())
            return KIVO_ERR_FILE;
        result = step(file, name);
        if (result != 0)
            break;
    }
    return result;
}

int32_t RefusedWithoutBoth(const char *paths, const char *names)
{
    return paths == nullptr ? KIVO_ERR_NO_CONNECTION : RefusedWithout(names);
}

int32_t PutList(const char *exportName, PutKind kind, bool release, const char *paths,
                const char *names, KIVO_HWND window)
{
    const ExportCall call{exportName, EntryOf(kind), window, RefusedWithoutBoth(paths, names)};
    return RunExport(call, [&] {
        const int result = EachPair(paths, names, FileAccess::kRead, [&](CCallerFile &file, const char *name) {
            return Put(kind, file, name, window);
        });
        return ReleaseAfter(result, release);
    });
}

// Each pair fetched in turn: a local file is created only when its pair's
// turn comes, so when the walk stops the files of earlier pairs are whole and
// the paths of later ones untouched.
int32_t GetList(const char *paths, const char *names, KIVO_HWND window)
{
    const ExportCall call{"KIVO_LinkGetFiles", EntrySwitch::kModeZero, window, RefusedWithoutBoth(paths, names)};
    return RunExport(call, [&] {
        return EachPair(paths, names, FileAccess::kWrite, [&](CCallerFile &file, const char *name) {
            return g_link.GetFile(file, name, WindowOf(window));
        });
    });
}

}  // namespace

extern "C" {

KIVO_API int32_t KIVO_CALL KIVO_LinkFileList(const char *path, const char *argument, KIVO_HWND window)
{
    const ExportCall call{"KIVO_LinkFileList", EntrySwitch::kModeZero, window,
                          RefusedWithout(argument)};
    return RunExport(call, {path, FileAccess::kWrite}, [&](CCallerFile &file) {
        return g_link.FileList(file, argument, WindowOf(window));
    });
}

KIVO_API int32_t KIVO_CALL KIVO_LinkGetFile(const char *path, const char *name, KIVO_HWND window)
{
    const ExportCall call{"KIVO_LinkGetFile", EntrySwitch::kModeZero, window, RefusedWithout(name)};
    return RunExport(call, {path, FileAccess::kWrite}, [&](CCallerFile &file) {
        return g_link.GetFile(file, name, WindowOf(window));
    });
}

KIVO_API int32_t KIVO_CALL KIVO_LinkPutFile(const char *path, const char *name, KIVO_HWND window)
{
    return PutOne("KIVO_LinkPutFile", PutKind::kPackets, true, path, name, window);
}

KIVO_API int32_t KIVO_CALL KIVO_LinkPutFileEx(const char *path, const char *name, KIVO_HWND window)
{
    return PutOne("KIVO_LinkPutFileEx", PutKind::kPackets, false, path, name, window);
}

KIVO_API int32_t KIVO_CALL KIVO_LinkPutFile2(const char *path, const char *name, KIVO_HWND window)
{
    return PutOne("KIVO_LinkPutFile2", PutKind::kChunks, true, path, name, window);
}

KIVO_API int32_t KIVO_CALL KIVO_LinkPutFile2Ex(const char *path, const char *name, KIVO_HWND window)
{
    return PutOne("KIVO_LinkPutFile2Ex", PutKind::kChunks, false, path, name, window);
}

KIVO_API int32_t KIVO_CALL KIVO_LinkPutFiles(const char *paths, const char *names, KIVO_HWND window)
{
    return PutList("KIVO_LinkPutFiles", PutKind::kPackets, true, paths, names, window);
}

KIVO_API int32_t KIVO_CALL KIVO_LinkPutFilesEx(const char *paths, const char *names,
                                               KIVO_HWND window)
{
    return PutList("KIVO_LinkPutFilesEx", PutKind::kPackets, false, paths, names, window);
}

KIVO_API int32_t KIVO_CALL KIVO_LinkPutFiles2(const char *paths, const char *names, KIVO_HWND window)
{
    return PutList("KIVO_LinkPutFiles2", PutKind::kChunks, true, paths, names, window);
}

KIVO_API int32_t KIVO_CALL KIVO_LinkPutFiles2Ex(const char *paths, const char *names,
                                                KIVO_HWND window)
{
    return PutList("KIVO_LinkPutFiles2Ex", PutKind::kChunks, false, paths, names, window);
}

KIVO_API int32_t KIVO_CALL KIVO_LinkGetFiles(const char *paths, const char *names, KIVO_HWND window)
{
    return GetList(paths, names, window);
}

KIVO_API int32_t KIVO_CALL KIVO_LinkDelFile(const char *name, KIVO_HWND window)
{
    const ExportCall call{"KIVO_LinkDelFile", EntrySwitch::kModeZero, window,
                          RefusedWithout(name)};
    return RunExport(call, [&] { return g_link.DelFile(name, WindowOf(window)); });
}

KIVO_API int32_t KIVO_CALL KIVO_LinkRelease(KIVO_HWND window)
{
    return RunExport({"KIVO_LinkRelease", EntrySwitch::kModeZero, window},
                     [&] { return g_link.Release(WindowOf(window)); });
}

}
