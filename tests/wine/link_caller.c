/*
 * link_caller: a program that uses the library the way its callers do. It
 * loads the shared library by name at run time (LoadLibraryA / dlopen), takes
 * every export through plain C-convention function pointers, gives the link
 * exports a window of its own, and runs the steps named on its command line,
 * printing one line per step:
 *
 *   <step> <result> progress=<messages> bytes=<sum of wParam> | polls=<n> ms=<time>
 *
 * What stands before the bar depends only on the library and the handheld, so
 * the same script gives the same lines on every system; what follows it
 * (polls, time) is for people. The same source builds for Windows (a real,
 * message-only window) and for POSIX (a KIVO_WINDOW record).
 *
 * Usage: link_caller LIBRARY STEP...
 *   mode=N               KIVO_SetMode(N)
 *   port=MODE:N          KIVO_SetPort(MODE, N)
 *   baud=MODE:N          KIVO_SetBaudEx(MODE, N)
 *   send-block=N         KIVO_LinkSendBlockSize(N)
 *   recv-block=N         KIVO_LinkRecvBlockSize(N)
 *   cancel-after=N       from now on the window cancels once N progress
 *                        messages have come in a call (0: never)
 *   window=on|off        pass the window, or null
 *   pause=MS             waits (lets the handheld see the line closed)
 *   list PATH ARGUMENT   get PATH NAME           delete NAME      release
 *   put PATH NAME        put-ex PATH NAME        put2 PATH NAME   put2-ex PATH NAME
 *   puts PATHS NAMES     puts-ex PATHS NAMES     puts2 PATHS NAMES
 *   puts2-ex PATHS NAMES   (lists separated by '+', given to the library
 *                           separated by CR)
 *   text-send PATH       text-recv PATH
 *   conventions          (32-bit Windows) checks that every settings export
 *                        leaves the stack pointer where it was: the caller
 *                        removes the arguments
 *   status=N             (Windows) opens COMn itself and prints what the
 *                        system reports of it: ClearCommError's hold flags and
 *                        queue, GetCommModemStatus, with CTS flow control on
 * Exit status: 0 when every step ran (whatever its result), 1 when a step
 * could not run or a check failed, 2 on wrong usage.
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
typedef HWND CallerWindow;
#else
#include <dlfcn.h>
#include <time.h>
#define KIVO_CALL_CONVENTION
typedef struct KIVO_WINDOW {
    intptr_t (*proc)(void *context, uint32_t message, uintptr_t wParam, intptr_t lParam);
    void *context;
} KIVO_WINDOW;
typedef KIVO_WINDOW *CallerWindow;
#endif

#if defined(_WIN32)
#define KIVO_CALL_CONVENTION __cdecl
#endif

/* The window messages, as the library's header defines them. */
enum { kPollMessage = 0x04C8, kProgressMessage = 0x04D2 };

/* Any export, as the system hands it over; cast to its type before a call. */
typedef void (*AnyFn)(void);
typedef int32_t(KIVO_CALL_CONVENTION *SetModeFn)(uint16_t);
typedef int32_t(KIVO_CALL_CONVENTION *SetPortFn)(uint16_t, uint16_t);
typedef int32_t(KIVO_CALL_CONVENTION *SetBaudExFn)(uint16_t, int32_t);
typedef int32_t(KIVO_CALL_CONVENTION *BlockSizeFn)(int32_t);
typedef int32_t(KIVO_CALL_CONVENTION *TwoTextsFn)(const char *, const char *, CallerWindow);
typedef int32_t(KIVO_CALL_CONVENTION *OneTextFn)(const char *, CallerWindow);
typedef int32_t(KIVO_CALL_CONVENTION *NoTextFn)(CallerWindow);

/* What the window saw during one call, and when it is to cancel. */
struct WindowRecord {
    long progress;
    unsigned long long bytes;
    long polls;
    long cancelAfter;
};

static struct WindowRecord g_record;

static intptr_t Answer(uint32_t message, uintptr_t wParam)
{
    if (message == kProgressMessage) {
        g_record.progress++;
        g_record.bytes += wParam;
        return 0;
    }
    if (message == kPollMessage) {
        g_record.polls++;
        return g_record.cancelAfter > 0 && g_record.progress >= g_record.cancelAfter;
    }
    return 0;
}

/* ---- the system's part: loading, exports, the window, the clock ---- */

#if defined(_WIN32)

static HMODULE g_library;

static int LoadTheLibrary(const char *path)
{
    g_library = LoadLibraryA(path);
    if (g_library == NULL)
        fprintf(stderr, "link_caller: cannot load %s (error %lu)\n", path,
                (unsigned long)GetLastError());
    return g_library != NULL;
}

static AnyFn Export(const char *name)
{
    return (AnyFn)GetProcAddress(g_library, name);
}

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kPollMessage || message == kProgressMessage)
        return Answer(message, wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

static CallerWindow MakeWindow(void)
{
    WNDCLASSA windowClass;
    HWND window = NULL;
    int attempt;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "TessalinkLinkCaller";
    if (!RegisterClassA(&windowClass)) {
        fprintf(stderr, "link_caller: RegisterClassA failed (error %lu)\n",
                (unsigned long)GetLastError());
        return NULL;
    }
    /* A message-only window: receives messages, needs no display. Wine makes
       the desktop that windows need in a process of its own on first use,
       which can be late on a loaded machine: a few more tries. */
    for (attempt = 0; attempt < 5 && window == NULL; attempt++) {
        if (attempt > 0)
            Sleep(1000);
        window = CreateWindowExA(0, windowClass.lpszClassName, "link_caller", 0, 0, 0, 0, 0,
                                 HWND_MESSAGE, NULL, windowClass.hInstance, NULL);
        if (window == NULL)
            fprintf(stderr, "link_caller: CreateWindowExA failed (error %lu)\n",
                    (unsigned long)GetLastError());
    }
    return window;
}

static void Pause(long ms)
{
    Sleep((DWORD)ms);
}

static double NowMs(void)
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

#else

static void *g_library;
static KIVO_WINDOW g_window;

static int LoadTheLibrary(const char *path)
{
    g_library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (g_library == NULL)
        fprintf(stderr, "link_caller: cannot load %s (%s)\n", path, dlerror());
    return g_library != NULL;
}

static AnyFn Export(const char *name)
{
    void *address = dlsym(g_library, name);
    AnyFn fn;
    memcpy(&fn, &address, sizeof fn);
    return fn;
}

static intptr_t WindowProcedure(void *context, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    (void)context;
    (void)lParam;
    return Answer(message, wParam);
}

static CallerWindow MakeWindow(void)
{
    g_window.proc = WindowProcedure;
    g_window.context = NULL;
    return &g_window;
}

static void Pause(long ms)
{
    struct timespec wait;
    wait.tv_sec = ms / 1000;
    wait.tv_nsec = (ms % 1000) * 1000000L;
    nanosleep(&wait, NULL);
}

static double NowMs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec * 1000.0 + (double)now.tv_nsec / 1e6;
}

#endif

/* ---- the calling convention (32-bit Windows only) ---- */

#if defined(_WIN32) && defined(__i386__)
/* Calls fn with two 32-bit arguments pushed right to left, as a C caller does,
   and returns how far the stack pointer stands from where the caller left it
   after the call: 0 for a callee that leaves the arguments to the caller, the
   bytes it removed otherwise. The stack pointer is put back either way. */
static int32_t StackMovedByCall(AnyFn fn, uint32_t first, uint32_t second, int32_t *result)
{
    int32_t moved, value;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "pushl %[second]\n\t"
        "pushl %[first]\n\t"
        "call *%[fn]\n\t"
        "movl %%esp, %%ecx\n\t"
        "movl %%esi, %%esp\n\t"
        "subl %%esi, %%ecx\n\t"
        "addl $8, %%ecx\n\t"
        : "=a"(value), "=c"(moved)
        : [fn] "r"(fn), [first] "r"(first), [second] "r"(second)
        : "edx", "esi", "memory", "cc");
    *result = value;
    return moved;
}

/* A callee that removes its own arguments, to show that the check sees it. */
static int32_t __stdcall RemovesItsArguments(uint32_t first, uint32_t second)
{
    return (int32_t)(first + second);
}

static int CheckConventions(void)
{
    static const struct {
        const char *name;
        uint32_t first, second;
    } kSettings[] = {
        {"KIVO_SetMode", 2, 0},          {"KIVO_SetPort", 2, 2},
        {"KIVO_SetBaud", 2, 9600}, {"KIVO_SetBaudEx", 2, 115200},
        {"KIVO_LinkSendBlockSize", 256, 0}, {"KIVO_LinkRecvBlockSize", 256, 0},
    };
    int failures = 0;
    int32_t result = 0;
    size_t i;
    int32_t moved = StackMovedByCall((AnyFn)RemovesItsArguments, 1, 2, &result);
    if (moved != 8 || result != 3) {
        printf("conventions: the check itself is broken (moved %ld)\n", (long)moved);
        return 1;
    }
    for (i = 0; i < sizeof kSettings / sizeof kSettings[0]; i++) {
        AnyFn fn = Export(kSettings[i].name);
        if (fn == NULL) {
            printf("conventions: %s is not exported\n", kSettings[i].name);
            failures++;
            continue;
        }
        moved = StackMovedByCall(fn, kSettings[i].first, kSettings[i].second, &result);
        printf("conventions %s stack moved %ld bytes, result %ld\n", kSettings[i].name,
               (long)moved, (long)result);
        if (moved != 0)
            failures++;
    }
    return failures == 0 ? 0 : 1;
}
#else
static int CheckConventions(void)
{
    printf("conventions: one calling convention on this system\n");
    return 0;
}
#endif

/* ---- what the system reports of a port ---- */

#if defined(_WIN32)
static int PrintPortStatus(int port)
{
    char name[32];
    HANDLE handle;
    DCB state;
    COMSTAT status;
    DWORD errors = 0, modem = 0;
    BOOL cleared, modemRead;
    snprintf(name, sizeof name, "COM%d", port);
    handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        printf("status %s: cannot open (error %lu)\n", name, (unsigned long)GetLastError());
        return 0;
    }
    memset(&state, 0, sizeof state);
    state.DCBlength = sizeof state;
    if (GetCommState(handle, &state)) {
        state.fOutxCtsFlow = TRUE;
        state.fRtsControl = RTS_CONTROL_ENABLE;
        state.fDtrControl = DTR_CONTROL_ENABLE;
        SetCommState(handle, &state);
    }
    memset(&status, 0, sizeof status);
    cleared = ClearCommError(handle, &errors, &status);
    modemRead = GetCommModemStatus(handle, &modem);
    printf("status %s: file type %lu; ClearCommError %s fCtsHold=%u fDsrHold=%u fRlsdHold=%u "
           "cbInQue=%lu cbOutQue=%lu; GetCommModemStatus %s (error %lu) CTS=%d DSR=%d RLSD=%d\n",
           name, (unsigned long)GetFileType(handle), cleared ? "ok" : "failed",
           (unsigned)status.fCtsHold, (unsigned)status.fDsrHold, (unsigned)status.fRlsdHold,
           (unsigned long)status.cbInQue, (unsigned long)status.cbOutQue,
           modemRead ? "ok" : "failed", modemRead ? 0ul : (unsigned long)GetLastError(),
           (modem & MS_CTS_ON) != 0, (modem & MS_DSR_ON) != 0, (modem & MS_RLSD_ON) != 0);
    CloseHandle(handle);
    return 0;
}
#else
static int PrintPortStatus(int port)
{
    printf("status COM%d: a Windows report\n", port);
    return 0;
}
#endif

/* ---- steps ---- */

static const char *const kExports[] = {
    "KIVO_SetMode", "KIVO_SetPort", "KIVO_SetBaud", "KIVO_SetBaudEx",
    "KIVO_LinkSendBlockSize", "KIVO_LinkRecvBlockSize", "KIVO_LinkFileList",
    "KIVO_LinkGetFile", "KIVO_LinkPutFile", "KIVO_LinkPutFileEx", "KIVO_LinkPutFile2",
    "KIVO_LinkPutFile2Ex", "KIVO_LinkPutFiles", "KIVO_LinkPutFilesEx", "KIVO_LinkPutFiles2",
    "KIVO_LinkPutFiles2Ex", "KIVO_LinkDelFile", "KIVO_LinkRelease", "KIVO_AppTextSend",
    "KIVO_AppTextRecv", "KIVO_4TO3_MEM", "KIVO_4TO3_FILE", "KIVO_HEX2BIN_MEM",
    "KIVO_HEX2BIN_FILE", "KIVO_CodeMask", "KIVO_MEM_Analize", "KIVO_REP_Analize",
    /* Tessalink extensions */
    "KIVO_LinkGetFiles",
};

/* The link steps with two texts, and the export each calls. */
static const struct {
    const char *step;
    const char *name;
    int isList; /* the texts are '+'-separated lists */
} kTwoTextSteps[] = {
    {"list", "KIVO_LinkFileList", 0},     {"get", "KIVO_LinkGetFile", 0},
    {"put", "KIVO_LinkPutFile", 0},       {"put-ex", "KIVO_LinkPutFileEx", 0},
    {"put2", "KIVO_LinkPutFile2", 0},     {"put2-ex", "KIVO_LinkPutFile2Ex", 0},
    {"puts", "KIVO_LinkPutFiles", 1},     {"puts-ex", "KIVO_LinkPutFilesEx", 1},
    {"puts2", "KIVO_LinkPutFiles2", 1},   {"puts2-ex", "KIVO_LinkPutFiles2Ex", 1},
    {"gets", "KIVO_LinkGetFiles", 1},
};

static const struct {
    const char *step;
    const char *name;
} kOneTextSteps[] = {
    {"delete", "KIVO_LinkDelFile"},
    {"text-send", "KIVO_AppTextSend"},
    {"text-recv", "KIVO_AppTextRecv"},
};

static CallerWindow g_callerWindow;
static int g_useWindow = 1;

static void BeginCall(void)
{
    long cancelAfter = g_record.cancelAfter;
    memset(&g_record, 0, sizeof g_record);
    g_record.cancelAfter = cancelAfter;
}

static void ReportCall(const char *step, int32_t result, double startMs)
{
    printf("%s %ld progress=%ld bytes=%llu | polls=%ld ms=%.0f\n", step, (long)result,
           g_record.progress, g_record.bytes, g_record.polls, NowMs() - startMs);
    fflush(stdout);
}

/* '+' separates list entries on the command line; the library takes CR. */
static char *CrList(const char *text)
{
    char *list = malloc(strlen(text) + 1);
    char *p;
    if (list == NULL)
        return NULL;
    strcpy(list, text);
    for (p = list; *p; p++)
        if (*p == '+')
            *p = '\r';
    return list;
}

static int ParsePair(const char *text, long *first, long *second)
{
    char *end;
    *first = strtol(text, &end, 10);
    if (*end != ':')
        return 0;
    *second = strtol(end + 1, &end, 10);
    return *end == '\0';
}

/* Runs the step at argv[*at], advancing *at past its arguments. 0 when it ran,
   1 when it could not, 2 on wrong usage. */
static int RunStep(int argc, char **argv, int *at)
{
    const char *step = argv[*at];
    CallerWindow window = g_useWindow ? g_callerWindow : NULL;
    size_t i;
    long first, second;
    double start;

    if (strncmp(step, "mode=", 5) == 0) {
        int32_t r = ((SetModeFn)Export("KIVO_SetMode"))((uint16_t)atol(step + 5));
        printf("%s %ld\n", step, (long)r);
    } else if (strncmp(step, "port=", 5) == 0 && ParsePair(step + 5, &first, &second)) {
        int32_t r = ((SetPortFn)Export("KIVO_SetPort"))((uint16_t)first, (uint16_t)second);
        printf("%s %ld\n", step, (long)r);
    } else if (strncmp(step, "baud=", 5) == 0 && ParsePair(step + 5, &first, &second)) {
        int32_t r = ((SetBaudExFn)Export("KIVO_SetBaudEx"))((uint16_t)first, (int32_t)second);
        printf("%s %ld\n", step, (long)r);
    } else if (strncmp(step, "send-block=", 11) == 0) {
        int32_t r = ((BlockSizeFn)Export("KIVO_LinkSendBlockSize"))((int32_t)atol(step + 11));
        printf("%s %ld\n", step, (long)r);
    } else if (strncmp(step, "recv-block=", 11) == 0) {
        int32_t r = ((BlockSizeFn)Export("KIVO_LinkRecvBlockSize"))((int32_t)atol(step + 11));
        printf("%s %ld\n", step, (long)r);
    } else if (strncmp(step, "cancel-after=", 13) == 0) {
        g_record.cancelAfter = atol(step + 13);
    } else if (strcmp(step, "window=on") == 0 || strcmp(step, "window=off") == 0) {
        g_useWindow = strcmp(step, "window=on") == 0;
    } else if (strncmp(step, "pause=", 6) == 0) {
        Pause(atol(step + 6));
    } else if (strncmp(step, "status=", 7) == 0) {
        return PrintPortStatus(atoi(step + 7));
    } else if (strcmp(step, "conventions") == 0) {
        return CheckConventions();
    } else if (strcmp(step, "release") == 0) {
        int32_t r;
        BeginCall();
        start = NowMs();
        r = ((NoTextFn)Export("KIVO_LinkRelease"))(window);
        ReportCall(step, r, start);
    } else {
        for (i = 0; i < sizeof kTwoTextSteps / sizeof kTwoTextSteps[0]; i++) {
            if (strcmp(step, kTwoTextSteps[i].step) == 0) {
                char *a, *b;
                int32_t r;
                if (*at + 2 >= argc)
                    return 2;
                a = kTwoTextSteps[i].isList ? CrList(argv[*at + 1]) : argv[*at + 1];
                b = kTwoTextSteps[i].isList ? CrList(argv[*at + 2]) : argv[*at + 2];
                if (a == NULL || b == NULL)
                    return 1;
                BeginCall();
                start = NowMs();
                r = ((TwoTextsFn)Export(kTwoTextSteps[i].name))(a, b, window);
                ReportCall(step, r, start);
                if (kTwoTextSteps[i].isList) {
                    free(a);
                    free(b);
                }
                *at += 2;
                break;
            }
        }
        if (i == sizeof kTwoTextSteps / sizeof kTwoTextSteps[0]) {
            for (i = 0; i < sizeof kOneTextSteps / sizeof kOneTextSteps[0]; i++) {
                if (strcmp(step, kOneTextSteps[i].step) == 0) {
                    int32_t r;
                    if (*at + 1 >= argc)
                        return 2;
                    BeginCall();
                    start = NowMs();
                    r = ((OneTextFn)Export(kOneTextSteps[i].name))(argv[*at + 1], window);
                    ReportCall(step, r, start);
                    *at += 1;
                    break;
                }
            }
            if (i == sizeof kOneTextSteps / sizeof kOneTextSteps[0]) {
                fprintf(stderr, "link_caller: unknown step %s\n", step);
                return 2;
            }
        }
    }
    fflush(stdout);
    return 0;
}

int main(int argc, char **argv)
{
    size_t i;
    int at;
    if (argc < 2) {
        fprintf(stderr, "usage: link_caller LIBRARY STEP...\n");
        return 2;
    }
    setvbuf(stdout, NULL, _IOLBF, 0);
    if (!LoadTheLibrary(argv[1]))
        return 1;
    for (i = 0; i < sizeof kExports / sizeof kExports[0]; i++) {
        if (Export(kExports[i]) == NULL) {
            fprintf(stderr, "link_caller: %s is not exported\n", kExports[i]);
            return 1;
        }
    }
    g_callerWindow = MakeWindow();
    if (g_callerWindow == NULL) {
        fprintf(stderr, "link_caller: cannot create the window\n");
        return 1;
    }
    for (at = 2; at < argc; at++) {
        int status = RunStep(argc, argv, &at);
        if (status != 0)
            return status;
    }
    return 0;
}
