/* The agent of the launch benchmark: a windowless program that does
 * nothing and exits with 0, so that a run measures the starting alone. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    return 0;
}
