// Stands in for the installer when Tevlaunch.exe is run under Wine: writes
// its whole command line to "command-line.txt" beside itself, then waits for
// input briefly (so that the launcher's wait for input idle has something to
// see) and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char own[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, own, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    std::string directory(own, length);
    directory.erase(directory.rfind('\\') + 1);
    std::string partial = directory + "command-line.part";
    std::string record = directory + "command-line.txt";

    // Written under another name and renamed, so the record appears whole.
    const char *commandLine = ::GetCommandLineA();
    HANDLE file = ::CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    ::WriteFile(file, commandLine, static_cast<DWORD>(::lstrlenA(commandLine)), &written, nullptr);
    ::CloseHandle(file);
    ::MoveFileExA(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING);

    ::SetTimer(nullptr, 0, 200, nullptr);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0 && message.message != WM_TIMER) {
    }
    return 0;
}
