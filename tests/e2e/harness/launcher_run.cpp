#include "e2e.h"

#include <windows.h>
#include <tlhelp32.h>

#include <set>

namespace e2e {

namespace {

constexpr DWORD kPollMilliseconds = 20;

// Ids of a message box's controls: the text and the icon.
constexpr int kTextControl = 0xFFFF;
constexpr int kIconControl = 0x0440;

struct Search {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collectBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (std::string(className) == "#32770") search->found.push_back(window);
    return TRUE;
}

// The error icon is mostly red, the information icon mostly blue; the
// colours are read from the screen where the icon control is drawn.
BoxIcon classifyIcon(HWND box) {
    RECT rect{};
    if (!GetWindowRect(GetDlgItem(box, kIconControl), &rect)) return BoxIcon::Unrecognised;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    int red = 0;
    int blue = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF pixel = GetPixel(memory, x, y);
            if (GetRValue(pixel) > 150 && GetGValue(pixel) < 100 && GetBValue(pixel) < 100) ++red;
            if (GetBValue(pixel) > 150 && GetRValue(pixel) < 100) ++blue;
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const int enough = width * height / 10;
    if (width > 0 && height > 0 && red >= enough && red > blue) return BoxIcon::Error;
    if (width > 0 && height > 0 && blue >= enough && blue > red) return BoxIcon::Information;
    return BoxIcon::Unrecognised;
}

// Records and closes the boxes of the process that came up since the last call.
void recordBoxes(DWORD processId, std::set<HWND>& handled, std::vector<SeenBox>& boxes) {
    Search search{processId, {}};
    EnumWindows(collectBox, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.found) {
        if (!handled.insert(box).second) continue;
        wchar_t title[1024] = {};
        GetWindowTextW(box, title, 1024);
        std::wstring text(64 * 1024, L'\0');
        text.resize(GetDlgItemTextW(box, kTextControl, text.data(), static_cast<int>(text.size())));
        SeenBox seen{toUtf8(title), toUtf8(text)};
        // A box that has only just come up may not be painted yet.
        for (int attempt = 0; attempt < 50 && seen.icon == BoxIcon::Unrecognised; ++attempt) {
            if (attempt > 0) Sleep(20);
            seen.icon = classifyIcon(box);
        }
        boxes.push_back(seen);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
}

}  // namespace

bool operator==(const SeenBox& left, const SeenBox& right) {
    return left.title == right.title && left.text == right.text && left.icon == right.icon;
}

void PrintTo(const SeenBox& box, std::ostream* out) {
    *out << "{title \"" << replaceAll(box.title, "\n", "\\n") << "\", text \"" << replaceAll(box.text, "\n", "\\n")
         << "\", "
         << (box.icon == BoxIcon::Error         ? "error icon"
             : box.icon == BoxIcon::Information ? "information icon"
                                                : "unrecognised icon")
         << "}";
}

RunResult runProgram(const RunSpec& request) {
    RunResult result;
    std::vector<char> commandLine(request.commandLine.begin(), request.commandLine.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    // The program inherits the tests' environment, with PATH changed for it.
    char path[32767] = {};
    GetEnvironmentVariableA("PATH", path, sizeof(path));
    if (!request.pathPrefix.empty()) SetEnvironmentVariableA("PATH", (request.pathPrefix + ";" + path).c_str());
    const BOOL created = CreateProcessA(request.application.empty() ? nullptr : request.application.c_str(),
                                        commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        request.currentDirectory.empty() ? nullptr : request.currentDirectory.c_str(),
                                        &startup, &process);
    SetEnvironmentVariableA("PATH", path);
    if (!created) {
        ADD_FAILURE() << "cannot start " << request.application << " [" << request.commandLine << "], error "
                      << GetLastError();
        return result;
    }
    result.started = true;
    result.processId = process.dwProcessId;
    CloseHandle(process.hThread);

    std::set<HWND> handled;
    const ULONGLONG deadline = GetTickCount64() + request.timeoutMilliseconds;
    while (WaitForSingleObject(process.hProcess, kPollMilliseconds) == WAIT_TIMEOUT) {
        recordBoxes(process.dwProcessId, handled, result.boxes);
        if (GetTickCount64() > deadline) {
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, INFINITE);
            result.timedOut = true;
            ADD_FAILURE() << "[" << request.commandLine << "] still ran after " << request.timeoutMilliseconds
                          << " ms and was killed";
            break;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    result.exitCode = static_cast<std::int32_t>(code);
    return result;
}

std::vector<ChildProcess> runningChildren(std::uint32_t parentId) {
    std::vector<ChildProcess> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot list processes, error " << GetLastError();
        return children;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parentId) children.push_back({entry.th32ProcessID, entry.szExeFile});
    }
    CloseHandle(snapshot);
    return children;
}

void endProcess(std::uint32_t id) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) return;
    TerminateProcess(process, 0xDEAD);
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
}

}  // namespace e2e
