#include "check/tool.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "check/env_platform.h"
#include "check/explain.h"
#include "check/image_files.h"
#include "check/ini_lint.h"
#include "check/read_only_platform.h"
#include "messages/messages.h"
#include "platform/path_utils.h"
#include "platform/spelled_path.h"

namespace launcher::check {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: launcher-check [--json] IMAGE_DIR_OR_INI\n"
    "       launcher-check [--json] [--env FILE] --explain IMAGE_DIR_OR_INI [launcher options...]\n"
    "Checks a launcher's INI file as the launcher reads it (exit code 0: clean, 1: warnings,\n"
    "2: cannot be checked), or explains what the launcher would do, without running or writing\n"
    "anything. --env names a file that describes the Windows machine (see docs/launcher-check.md).\n";

struct Options {
    bool json = false;
    bool explain = false;
    std::string envFile;
    std::string path;
    std::vector<std::string> launcherOptions;
};

// The image on the host: its folder, the INI file and the launcher program.
struct Image {
    fs::path folder;
    std::string ini;
    std::string exe;
    std::string display;  ///< the INI file as the user will recognise it
    std::vector<std::string> notes;
};

// Returns an error, or empty when options were read.
std::string parseOptions(const std::vector<std::string>& arguments, Options& options) {
    std::size_t i = 0;
    for (; i < arguments.size() && arguments[i].starts_with("--"); ++i) {
        const std::string& option = arguments[i];
        if (option == "--json") {
            options.json = true;
        } else if (option == "--explain") {
            options.explain = true;
        } else if (option == "--env" && i + 1 < arguments.size()) {
            options.envFile = arguments[++i];
        } else {
            return "unknown option or missing value: " + option;
        }
    }
    if (i == arguments.size()) return "no image folder or INI file named";
    options.path = arguments[i];
    options.launcherOptions.assign(arguments.begin() + static_cast<long>(i) + 1, arguments.end());
    if (!options.explain && !options.launcherOptions.empty()) return "launcher options are taken only with --explain";
    return std::string();
}

// Host paths from UTF-8 and back, whatever the host's own encoding.
fs::path hostPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Returns an error, or empty when the image was found.
std::string locate(const std::string& given, Image& image) {
    std::error_code ec;
    const fs::file_status status = fs::status(hostPath(given), ec);
    if (!fs::exists(status)) return "no such file or folder";
    const bool folder = fs::is_directory(status);
    if (!folder && !fs::is_regular_file(status)) return "not a regular file";
    image.folder = fs::absolute(folder ? hostPath(given) : hostPath(given).parent_path(), ec).lexically_normal();
    if (image.folder.filename().empty()) image.folder = image.folder.parent_path();
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(image.folder, ec)) {
        if (entry.is_regular_file(ec)) names.push_back(utf8Of(entry.path().filename()));
    }
    if (!folder) {
        image.ini = utf8Of(hostPath(given).filename());
        image.display = given;
        image.exe = stripExtension(CodePage(), image.ini) + ".exe";
        for (const std::string& name : names) {
            if (const std::optional<LauncherFiles> pair = chooseLauncher({image.ini, name}); pair)
                image.exe = pair->exe;
        }
        return std::string();
    }
    const std::optional<LauncherFiles> chosen = chooseLauncher(names);
    if (!chosen) {
        return "no launcher INI file in this folder: the launcher reads the .ini file that bears its own base "
               "name, and no .ini file here stands beside a .exe of the same name";
    }
    image.ini = chosen->ini;
    image.exe = chosen->exe;
    image.display = utf8Of(hostPath(given) / hostPath(image.ini));
    if (!chosen->others.empty()) {
        std::string others;
        for (const std::string& other : chosen->others) others += (others.empty() ? "" : ", ") + other;
        image.notes.push_back("several launchers in this folder; checked " + image.ini + " (of " + image.exe +
                              "), not those of " + others + ": name an INI file to check another");
    }
    return std::string();
}

// With --json every outcome is one JSON object, of the mode asked for.
int fail(const Options& options, const std::string& file, const std::string& error, std::ostream& out) {
    if (options.explain && options.json) {
        Explanation explanation;
        explanation.error = (file.empty() ? "" : file + ": ") + error;
        out << renderJson(explanation);
        return kExitUnreadable;
    }
    LintReport report;
    report.file = file;
    report.error = error;
    out << (options.json ? renderJson(report) : renderText(report));
    return kExitUnreadable;
}

std::string readEnvFile(const std::string& path, EnvSettings& settings) {
    std::ifstream file(hostPath(path), std::ios::binary);
    if (!file || fs::is_directory(hostPath(path))) return "cannot be read";
    std::ostringstream text;
    text << file.rdbuf();
    return parseEnvText(text.str(), utf8Of(fs::absolute(hostPath(path)).parent_path()), settings);
}

// The texts of findings and explanations come from the INI file and from
// the launcher's own functions, in the machine's code page; the tool writes
// UTF-8. File names and notes are UTF-8 already.
void toUtf8(Platform& machine, std::vector<Finding>& findings) {
    for (Finding& finding : findings) {
        for (std::string* text : {&finding.message, &finding.effect, &finding.fix}) {
            *text = machine.systemCodePageToUtf8(*text);
        }
    }
}

void toUtf8(Platform& machine, std::vector<Section>& sections) {
    for (Section& section : sections) {
        for (Field& field : section.fields) {
            field.text = machine.systemCodePageToUtf8(field.text);
            field.note = machine.systemCodePageToUtf8(field.note);
            for (std::string& item : field.list) item = machine.systemCodePageToUtf8(item);
        }
    }
}

}  // namespace

namespace {

// The Windows machine that the image stands on: the machine's own platform
// on Windows, or the one an environment file describes.
struct Machine {
    std::unique_ptr<EnvPlatform> described;
    Platform* platform = nullptr;
    EnvSettings settings;
    std::string folder;  ///< the image's Windows folder
    fs::path hostFolder;

    // A file of the image as the machine names it: on Windows with short
    // names where its code page lacks a character.
    std::string path(const std::string& name) const {
        return described ? folder + "\\" + name
                         : spellPath(*platform, utf8ToUtf16(utf8Of(hostFolder / hostPath(name)))).text;
    }
};

// Returns an error, or empty when the machine is set up.
std::string describeMachine(const Options& options, const Image& image, Platform* native, Machine& machine) {
    machine.hostFolder = image.folder;
    machine.platform = native;
    if (native != nullptr && options.envFile.empty()) {
        machine.folder = spellPath(*native, utf8ToUtf16(utf8Of(image.folder))).text;
        return std::string();
    }
    if (!options.envFile.empty()) {
        if (const std::string error = readEnvFile(options.envFile, machine.settings); !error.empty()) {
            return options.envFile + ": " + error;
        }
    }
    machine.described = std::make_unique<EnvPlatform>(machine.settings, utf8Of(image.folder));
    machine.platform = machine.described.get();
    // A folder that climbs above its first part stays as written.
    (void)normalizePath(machine.platform->systemCodePage(), machine.folder, machine.settings.image);
    return std::string();
}

int explainImage(const Options& options, const Image& image, const Machine& machine, std::ostream& out) {
    std::vector<std::u16string> launcherOptions;
    for (const std::string& option : options.launcherOptions) launcherOptions.push_back(utf8ToUtf16(option));
    Explanation explanation = explainRun(*machine.platform, machine.settings.children, machine.path(image.exe),
                                         commandArguments(*machine.platform, launcherOptions));
    explanation.notes = image.notes;
    toUtf8(*machine.platform, explanation.sections);
    out << (options.json ? renderJson(explanation) : renderText(explanation));
    return explanation.error.empty() ? kExitClean : kExitUnreadable;
}

// Returns the exit code when the options end the run (usage, or an error).
std::optional<int> readOptions(const std::vector<std::string>& arguments, Options& options, std::ostream& out,
                               std::ostream& err) {
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
        out << kUsage;
        return kExitClean;
    }
    const std::string error = parseOptions(arguments, options);
    if (error.empty()) return std::nullopt;
    for (std::size_t i = 0; i < arguments.size() && arguments[i].starts_with("--"); ++i) {
        options.json = options.json || arguments[i] == "--json";
        options.explain = options.explain || arguments[i] == "--explain";
    }
    if (options.json) return fail(options, std::string(), error, out);
    err << "launcher-check: " << error << "\n" << kUsage;
    return kExitUnreadable;
}

}  // namespace

int runTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Platform* native) {
    Options options;
    if (const std::optional<int> ended = readOptions(arguments, options, out, err)) return *ended;
    Image image;
    if (const std::string error = locate(options.path, image); !error.empty()) {
        return fail(options, options.path, error, out);
    }
    Machine machine;
    if (const std::string error = describeMachine(options, image, native, machine); !error.empty()) {
        err << "launcher-check: " << error << "\n";
        return kExitUnreadable;
    }
    ReadOnlyPlatform platform(*machine.platform);
    const std::string iniPath = machine.path(image.ini);
    if (const std::string error = checkReadableText(platform, iniPath); !error.empty()) {
        return fail(options, image.display, error, out);
    }
    if (options.explain) return explainImage(options, image, machine, out);
    LintReport report;
    report.file = image.display;
    report.notes = image.notes;
    report.findings = lintIniFile(platform, iniPath, machine.folder + "\\");
    toUtf8(*machine.platform, report.findings);
    out << (options.json ? renderJson(report) : renderText(report));
    return exitCodeOf(report);
}

}  // namespace launcher::check
