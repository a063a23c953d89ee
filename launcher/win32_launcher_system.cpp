// The launcher's seam on Windows: the shell, profile-file and message-box
// calls of kernel32, shell32 and user32, in their ANSI forms.
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "launcher_system.h"

namespace {

static_assert((SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI) == 0x440, "execute mask");
static_assert((MB_OK | MB_ICONERROR) == 0x10, "message style");
static_assert(SW_SHOW == 5, "show command");
#ifndef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "the execute-information record is 60 bytes");
#endif

// Longest path or profile value the launcher will take.
constexpr DWORD kLongestText = 32768;

class Win32LauncherSystem : public LauncherSystem {
public:
    const LauncherConventions &Conventions() const override
    {
        return kWindowsConventions;
    }

    std::string OwnPath() override
    {
        for (DWORD size = MAX_PATH;; size *= 2) {
            std::vector<char> buffer(size);
            DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), size);
            if (length == 0) {
                return std::string();
            }
            if (length < size) {
                return std::string(buffer.data(), length);
            }
            if (size >= kLongestText) {
                return std::string();  // cut short even at the longest: unusable
            }
        }
    }

    std::string ReadIniValue(const std::string &file, const char *section, const char *key,
                             const std::string &fallback) override
    {
        for (DWORD size = MAX_PATH;; size *= 2) {
            std::vector<char> buffer(size);
            DWORD length = ::GetPrivateProfileStringA(section, key, fallback.c_str(), buffer.data(),
                                                      size, file.c_str());
            // size - 1 means the value may have been cut short.
            if (length < size - 1 || size >= kLongestText) {
                return std::string(buffer.data(), length);
            }
        }
    }

    bool FileExists(const std::string &path) override
    {
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA(path.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return false;
        }
        ::FindClose(search);
        return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    bool StartProgram(const std::string &program, const std::string &parameters) override
    {
        SHELLEXECUTEINFOA info;
        ::ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpFile = program.c_str();
        info.lpParameters = parameters.c_str();
        info.nShow = SW_SHOW;
        if (!::ShellExecuteExA(&info)) {
            return false;
        }
        m_process = info.hProcess;
        return true;
    }

    void WaitUntilReady() override
    {
        // The shell may hand back no process handle; then there is nothing to wait for.
        if (m_process != nullptr) {
            ::WaitForInputIdle(m_process, INFINITE);
            ::CloseHandle(m_process);
            m_process = nullptr;
        }
    }

    void ShowError(const char *caption, const std::string &text) override
    {
        ::MessageBoxA(nullptr, text.c_str(), caption, MB_OK | MB_ICONERROR);
    }

private:
    HANDLE m_process = nullptr;
};

}  // namespace

LauncherSystem &NativeLauncherSystem()
{
    static Win32LauncherSystem system;
    return system;
}
