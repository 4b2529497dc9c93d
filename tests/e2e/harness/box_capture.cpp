#include "harness/box_capture.h"

#include <windows.h>

#include "harness/text.h"

namespace e2e {

namespace {

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

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(got > 0 ? got : 0);
    return text;
}

// The error icon is mostly red, the information icon mostly blue; the
// colours are read from the screen where the icon control is drawn.
BoxIcon classifyIcon(HWND box) {
    HWND icon = GetDlgItem(box, kIconControl);
    RECT rect{};
    if (icon == nullptr || !GetWindowRect(icon, &rect)) return BoxIcon::Unrecognised;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return BoxIcon::Unrecognised;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int red = 0;
    int blue = 0;
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        for (int i = 0; i < width * height; ++i) {
            const int b = pixels[i] & 0xFF;
            const int g = (pixels[i] >> 8) & 0xFF;
            const int r = (pixels[i] >> 16) & 0xFF;
            if (r > 150 && g < 100 && b < 100) ++red;
            if (b > 150 && r < 100) ++blue;
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    const int enough = width * height / 10;
    if (red >= enough && red > blue) return BoxIcon::Error;
    if (blue >= enough && blue > red) return BoxIcon::Information;
    return BoxIcon::Unrecognised;
}

}  // namespace

bool operator==(const SeenBox& left, const SeenBox& right) {
    return left.title == right.title && left.text == right.text && left.icon == right.icon;
}

void PrintTo(BoxIcon icon, std::ostream* out) {
    *out << (icon == BoxIcon::Error ? "error icon" : icon == BoxIcon::Information ? "information icon" : "unrecognised icon");
}

void PrintTo(const SeenBox& box, std::ostream* out) {
    *out << "{title \"" << replaceAll(box.title, "\n", "\\n") << "\", text \"" << replaceAll(box.text, "\n", "\\n")
         << "\", ";
    PrintTo(box.icon, out);
    *out << "}";
}

void BoxWatcher::poll() {
    Search search{processId_, {}};
    EnumWindows(collectBox, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.found) {
        if (!handled_.insert(box).second) continue;
        SeenBox seen;
        seen.title = toUtf8(windowText(box));
        std::wstring text(64 * 1024, L'\0');
        const UINT length = GetDlgItemTextW(box, kTextControl, text.data(), static_cast<int>(text.size()));
        text.resize(length);
        seen.text = toUtf8(text);
        // A box that has only just come up may not be painted yet.
        for (int attempt = 0; attempt < 50; ++attempt) {
            seen.icon = classifyIcon(box);
            if (seen.icon != BoxIcon::Unrecognised) break;
            Sleep(20);
        }
        boxes_.push_back(seen);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
}

}  // namespace e2e
