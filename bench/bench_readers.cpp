// Benchmarks of the readers of outside text at scale: the installed.xml
// reader on files of 1, 10 and 100 MB whose agent package stands on the
// last line, and the INI reader on a file of 10 000 lines. Files are
// generated once into the build tree and read through FilePlatform (real
// files, read(2)); the "Memory" variants read the same bytes from memory
// to separate the reader's own cost from the kernel's copy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "config/launcher_ini.h"
#include "discovery/installed_version.h"
#include "file_platform.h"

using launcher::bench::FilePlatform;
using launcher::bench::StringPlatform;

namespace {

constexpr const char* kAgentVersion = "7.3.1.v20240611-1502";

#ifndef LAUNCHER_BENCH_DATA_DIR
#define LAUNCHER_BENCH_DATA_DIR "bench-data"
#endif

// Lines of 80 to 120 characters, as a package record holds them, none of
// them naming the agent package; then the agent's line and the end tag.
std::string makeInstalledXml(std::size_t megabytes, const char* newline) {
    const std::size_t target = megabytes * 1024 * 1024;
    std::string text = std::string("<?xml version='1.0' encoding='UTF-8'?>") + newline + "<installed>" + newline;
    static const char* const kNames[] = {"core",
                                         "ui.workbench",
                                         "runtime.compatibility.registry",
                                         "help",
                                         "net.transport.http",
                                         "search.index",
                                         "update.scheduler.policy",
                                         "ide.resources.text"};
    std::size_t n = 0;
    char line[256];
    while (text.size() < target) {
        const char* name = kNames[n % 8];
        std::snprintf(line, sizeof line,
                      "  <package id='com.norvex.tessa.%s.%zu' version='%zu.%zu.%zu.v2024%04zu' "
                      "installed='2024-06-11T15:02:%02zu'/>%s",
                      name, n, n % 9, n % 13, n % 7, n % 9999, n % 60, newline);
        text += line;
        ++n;
    }
    text += std::string("  <package id='com.norvex.tessa.agent' version='") + kAgentVersion +
            "' installed='2024-06-11T15:02:03'/>" + newline + "</installed>" + newline;
    return text;
}

std::string makeLauncherIni(std::size_t lines) {
    std::string text =
        "; Launcher settings of the installation image\r\n[INSTALLER]\r\nLOCATION=setup\\agent-setup.exe\r\n";
    text += "LICENSEACCEPTED=false\r\n[MANAGER]\r\nLOCATION_KEY=Software\\Quillmark\\Agent\r\nVERSION=7.3.1\r\n";
    text += "LAUNCHER=eclipse\\agent.exe\r\nMODE=INSTALL\r\n";
    std::size_t written = 9;
    for (std::size_t n = 0; written < lines - 5; ++n, ++written) {
        text += (n % 10 == 0)
                    ? "; options of group " + std::to_string(n / 10) + "\r\n"
                    : "ARG=-Dcom.norvex.tessa.option" + std::to_string(n) + "=value-" + std::to_string(n) + "\r\n";
    }
    text += "[COMMON]\r\nSILENT=no\r\nISADMIN=no\r\nAPPDATALOCATION=C:\\ProgramData\\Quillmark\r\nNL=en_US\r\n";
    return text;
}

// Content and path of each generated file, made once per process and
// written to disk only when it is not there yet.
struct DataFile {
    std::string path;
    std::string content;
};

const DataFile& dataFile(const std::string& name, const std::function<std::string()>& make) {
    static std::map<std::string, DataFile> files;
    auto found = files.find(name);
    if (found != files.end()) return found->second;
    DataFile file{std::string(LAUNCHER_BENCH_DATA_DIR) + "/" + name, make()};
    std::filesystem::create_directories(LAUNCHER_BENCH_DATA_DIR);
    if (!std::filesystem::exists(file.path) || std::filesystem::file_size(file.path) != file.content.size()) {
        std::ofstream(file.path, std::ios::binary)
            .write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
    }
    return files.emplace(name, std::move(file)).first->second;
}

const DataFile& installedXml(std::size_t megabytes, bool crlf) {
    const std::string name = "installed_" + std::to_string(megabytes) + "MB" + (crlf ? "_crlf" : "") + ".xml";
    return dataFile(name, [=] { return makeInstalledXml(megabytes, crlf ? "\r\n" : "\n"); });
}

template <class PlatformT>
void readPackageVersionOnce(benchmark::State& state, PlatformT& platform, const DataFile& file) {
    for (auto _ : state) {
        std::string version;
        launcher::readPackageVersion(platform, file.path, version);
        if (version != kAgentVersion) {
            state.SkipWithError("the agent's version was not found on the last line");
            break;
        }
        benchmark::DoNotOptimize(version);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.content.size()));
}

void BM_InstalledXml_File(benchmark::State& state) {
    const DataFile& file = installedXml(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    FilePlatform platform;
    readPackageVersionOnce(state, platform, file);
}

void BM_InstalledXml_Memory(benchmark::State& state) {
    const DataFile& file = installedXml(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    StringPlatform platform(file.content);
    readPackageVersionOnce(state, platform, file);
}

void BM_LauncherIni_File(benchmark::State& state) {
    const std::size_t lines = static_cast<std::size_t>(state.range(0));
    const DataFile& file =
        dataFile("launcher_" + std::to_string(lines) + ".ini", [=] { return makeLauncherIni(lines); });
    FilePlatform platform;
    for (auto _ : state) {
        launcher::IniValues values;
        if (!launcher::readLauncherIni(platform, file.path, values) || values.iniNL != "en_US") {
            state.SkipWithError("the INI file was not read to its end");
            break;
        }
        benchmark::DoNotOptimize(values);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.content.size()));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines));
}

// Arguments: megabytes, and 1 for CR LF line ends.
void sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"MB", "crlf"});
    for (const int crlf : {0, 1}) {
        for (const int megabytes : {1, 10, 100}) benchmark->Args({megabytes, crlf});
    }
    benchmark->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_InstalledXml_File)->Apply(sizes);
BENCHMARK(BM_InstalledXml_Memory)->Apply(sizes);
BENCHMARK(BM_LauncherIni_File)->Arg(10000)->ArgName("lines")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
