/* Times how long commands take from CreateProcess to their end, inside one
 * Wine session, so that Wine's own start-up is paid once and not per run.
 *
 *   launch_timer.exe REPETITIONS WARMUP NAME COMMAND [NAME COMMAND]...
 *
 * The commands run in turn, one of each per round, WARMUP rounds unmeasured
 * and then REPETITIONS measured ones, each started the same way
 * (CreateProcessA, no inherited handles, no window) and waited for. Every
 * run must exit with 0. Prints one line per command: its name, then the
 * median, the minimum and the 90th percentile in milliseconds. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static int compareDoubles(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : (x > y ? 1 : 0);
}

static double runOnce(const char* command, LARGE_INTEGER frequency) {
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    LARGE_INTEGER begin, end;
    DWORD code = 1;
    char* line = _strdup(command);
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    QueryPerformanceCounter(&begin);
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "cannot start: %s (error %lu)\n", command, GetLastError());
        exit(2);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    free(line);
    if (code != 0) {
        fprintf(stderr, "exit code %lu from: %s\n", code, command);
        exit(3);
    }
    return (double)(end.QuadPart - begin.QuadPart) * 1000.0 / (double)frequency.QuadPart;
}

int main(int argc, char** argv) {
    LARGE_INTEGER frequency;
    int repetitions, warmup, commands, round, i;
    double* times;
    if (argc < 5 || (argc - 3) % 2 != 0) {
        fprintf(stderr, "usage: %s REPETITIONS WARMUP NAME COMMAND [NAME COMMAND]...\n", argv[0]);
        return 2;
    }
    repetitions = atoi(argv[1]);
    warmup = atoi(argv[2]);
    commands = (argc - 3) / 2;
    if (repetitions < 1 || warmup < 0) return 2;
    QueryPerformanceFrequency(&frequency);
    times = (double*)calloc((size_t)(repetitions * commands), sizeof(double));
    for (round = -warmup; round < repetitions; ++round) {
        for (i = 0; i < commands; ++i) {
            const double ms = runOnce(argv[4 + 2 * i], frequency);
            if (round >= 0) times[i * repetitions + round] = ms;
        }
    }
    for (i = 0; i < commands; ++i) {
        double* mine = times + i * repetitions;
        qsort(mine, (size_t)repetitions, sizeof(double), compareDoubles);
        printf("%s %.2f %.2f %.2f %d\n", argv[3 + 2 * i],
               repetitions % 2 ? mine[repetitions / 2] : (mine[repetitions / 2 - 1] + mine[repetitions / 2]) / 2,
               mine[0], mine[(repetitions * 9) / 10 < repetitions ? (repetitions * 9) / 10 : repetitions - 1],
               repetitions);
    }
    free(times);
    return 0;
}
