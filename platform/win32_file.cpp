// The caller's files on Windows: opened exclusively, bytes as stored.
#include "win32_file.h"

#include <windows.h>

namespace {

// One system call moves at most this much; the callers loop.
constexpr size_t kMaxCall = 0x40000000;

class Win32File final : public PlatformFile {
public:
    explicit Win32File(HANDLE handle) : m_handle(handle) {}
    ~Win32File() override { ::CloseHandle(m_handle); }
    Win32File(const Win32File &) = delete;
    Win32File &operator=(const Win32File &) = delete;

    long Read(void *buffer, size_t count) override
    {
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(count < kMaxCall ? count : kMaxCall);
        if (!::ReadFile(m_handle, buffer, ask, &n, nullptr))
            return -1;
        return static_cast<long>(n);
    }

    bool Write(const void *data, size_t count) override
    {
        const char *p = static_cast<const char *>(data);
        while (count > 0) {
            DWORD n = 0;
            const DWORD ask = static_cast<DWORD>(count < kMaxCall ? count : kMaxCall);
            if (!::WriteFile(m_handle, p, ask, &n, nullptr) || n == 0)
                return false;
            p += n;
            count -= n;
        }
        return true;
    }

    int64_t Size() override
    {
        LARGE_INTEGER size;
        if (!::GetFileSizeEx(m_handle, &size))
            return -1;
        return static_cast<int64_t>(size.QuadPart);
    }

private:
    HANDLE m_handle;
};

}  // namespace

std::unique_ptr<PlatformFile> OpenWin32File(const char *path, FileAccess access)
{
    if (path == nullptr)
        return nullptr;
    const bool reading = access == FileAccess::kRead;
    HANDLE h = ::CreateFileA(path, reading ? GENERIC_READ : GENERIC_WRITE, 0, nullptr,
                             reading ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::unique_ptr<PlatformFile>(new Win32File(h));
}

std::unique_ptr<PlatformFile> OpenWin32AppendFile(const char *path)
{
    if (path == nullptr)
        return nullptr;
    HANDLE h = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::unique_ptr<PlatformFile>(new Win32File(h));
}

bool Win32FileExists(const char *path)
{
    if (path == nullptr)
        return false;
    DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
