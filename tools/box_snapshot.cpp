// Starts a program, prints the title and text of each message box it shows
// and saves a picture of it as a 24-bit BMP file, then closes the box with
// OK; at the end it prints the program's whole exit code, and waits (at
// most 60 s each) for the processes that the program started and left running,
// so that an agent it handed over has done its work before Wine stops.
// Used under Xvfb to make the documentation's screenshots and examples.
//   box_snapshot.exe OUTPUT_PREFIX PROGRAM "COMMAND LINE"
// writes OUTPUT_PREFIX-1.bmp, OUTPUT_PREFIX-2.bmp, … (none when the prefix
// is "-").
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

// How long the program may run, and how long each process it left running
// is waited for.
constexpr ULONGLONG kRunMilliseconds = 120000;
constexpr DWORD kChildMilliseconds = 60000;

struct Search {
    DWORD processId;
    std::set<HWND>* seen;
    HWND found;
};

BOOL CALLBACK findBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (owner == search->processId && IsWindowVisible(window) && std::string(className) == "#32770" &&
        !search->seen->count(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string utf8(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), length, nullptr, nullptr);
    return result;
}

// Prints "box: TITLE | TEXT" with the text's line breaks as "\n".
void printBox(HWND box) {
    wchar_t title[1024] = {};
    wchar_t text[4096] = {};
    GetWindowTextW(box, title, 1024);
    GetDlgItemTextW(box, 0xFFFF, text, 4096);
    std::string line = utf8(text);
    for (std::size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n', at + 2)) {
        line.replace(at, 1, "\\n");
    }
    std::printf("box: %s | %s\n", utf8(title).c_str(), line.c_str());
}

bool saveBitmap(HWND window, const std::string& path) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    const DWORD rowBytes = (width * 3 + 3) & ~3;
    const DWORD imageBytes = rowBytes * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + imageBytes;
    bool written = false;
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof(file), 1, out);
        std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out);
        std::fwrite(bits, imageBytes, 1, out);
        written = std::fclose(out) == 0;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

// Waits for the running processes that the process of this id started.
void waitForChildren(DWORD parentId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parentId) continue;
        if (HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            WaitForSingleObject(child, kChildMilliseconds);
            CloseHandle(child);
        }
    }
    CloseHandle(snapshot);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: box_snapshot OUTPUT_PREFIX PROGRAM \"COMMAND LINE\"\n");
        return 2;
    }
    std::string commandLine = argv[3];
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(argv[2], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %s\n", argv[2]);
        return 2;
    }
    std::set<HWND> seen;
    int count = 0;
    // All the documentation's runs together, some 35 programs, take about
    // 90 s under qemu-i386 with both cores busy; a program still running
    // after the deadline is taken to hang and is killed.
    const ULONGLONG deadline = GetTickCount64() + kRunMilliseconds;
    bool ended = false;
    while (!(ended = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) && GetTickCount64() < deadline) {
        Search search{process.dwProcessId, &seen, nullptr};
        EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) continue;
        Sleep(500);  // let it paint
        printBox(search.found);
        const std::string path = std::string(argv[1]) + "-" + std::to_string(++count) + ".bmp";
        if (std::string(argv[1]) != "-" && !saveBitmap(search.found, path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
        }
        seen.insert(search.found);
        PostMessageA(search.found, WM_COMMAND, IDOK, 0);
    }
    if (!ended) {
        std::fprintf(stderr, "%s still ran after %llu ms: killed\n", argv[2], kRunMilliseconds);
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("exit code: %ld\n", static_cast<long>(code));
    std::fflush(stdout);
    waitForChildren(process.dwProcessId);
    return 0;
}
