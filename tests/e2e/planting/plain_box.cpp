// The control for the DLL planting test: a program that shows a message box
// and does nothing to keep its own folder off the DLL search.
#include <windows.h>

int main() {
    MessageBoxW(nullptr, L"plain box", L"plain box", MB_OK | MB_ICONINFORMATION);
    return 0;
}
