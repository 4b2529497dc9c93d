// ARG lines as their program receives them. The launcher passes each ARG
// line on as one element of the command line, quoted by its own builders;
// the program then splits the whole line again. Quotation marks written in
// an ARG line, or a backslash before a closing mark, change that split.
// The command lines come from the launcher's builders; only the splitting,
// which is the receiving program's, is done here.
#include <algorithm>
#include <functional>
#include <optional>

#include "check/ini_lint.h"
#include "commands/launch_commands.h"
#include "launcher/launch_sequence.h"
#include "platform/process_launch.h"

namespace launcher::check {

namespace {

// How a program splits its command line.
enum class SplitRules {
    // The C runtime's rules: blanks and tabs separate outside quotation
    // marks; a backslash escapes a quotation mark, and 2n backslashes
    // before a mark stand for n.
    CRuntime,
    // Windows Installer's: the same, but a backslash is an ordinary character.
    WindowsInstaller,
};

// Returns the arguments of line as a program with those rules reads them.
// Inside quotation marks, two marks stand for one literal mark.
std::vector<std::string> splitCommandLine(std::string_view line, SplitRules rules) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument) arguments.push_back(current);
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\' && rules == SplitRules::CRuntime) {
            // Backslashes count only before a quotation mark: each pair
            // gives one, and an odd one makes the mark literal.
            const std::size_t end = line.find_first_not_of('\\', i);
            const std::size_t count = (end == std::string_view::npos ? line.size() : end) - i;
            i += count;
            if (i < line.size() && line[i] == '"') {
                current.append(count / 2, '\\');
                if (count % 2 == 1) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(count, '\\');
            }
        } else if (c == '"') {
            // Two marks inside quotation marks stand for one literal mark.
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                current += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else {
            current += c;
            ++i;
        }
    }
    if (inArgument) arguments.push_back(current);
    return arguments;
}

// Stands for the ARG line while the place of its pieces is found.
const std::string kMark = "\x01";

// A program's split command line for a list of ARG lines.
using Build = std::function<std::vector<std::string>(const std::vector<std::string>&)>;

// "[a] [b c]": brackets, since the pieces may hold quotation marks.
std::string bracketed(const std::vector<std::string>& pieces) {
    std::string out;
    for (const std::string& piece : pieces) out += (out.empty() ? "[" : " [") + piece + "]";
    return out;
}

// What one ARG line gives the program, when it is not what was meant.
struct Received {
    std::vector<std::string> pieces;
    bool restTaken = false;  ///< the line took in what the launcher puts after it
};

// Compares the split line with args against the one without, with meant
// standing where the mark stood.
std::optional<Received> compare(const Build& split, const std::vector<std::string>& args,
                                const std::vector<std::string>& meant) {
    const std::vector<std::string> with = split(args);
    const std::vector<std::string> without = split({});
    const std::vector<std::string> marked = split({kMark});
    const auto mark = std::find(marked.begin(), marked.end(), kMark);
    if (mark == marked.end()) return std::nullopt;
    const std::size_t at = static_cast<std::size_t>(mark - marked.begin());
    std::vector<std::string> expected = without;
    expected.insert(expected.begin() + static_cast<long>(at), meant.begin(), meant.end());
    if (with == expected) return std::nullopt;
    // What comes before the ARG line is split as it was: only its own
    // arguments and those after it can change.
    const std::size_t tail = without.size() - at;
    const bool tailKept = with.size() >= at + tail && std::equal(with.end() - static_cast<long>(tail), with.end(),
                                                                 without.end() - static_cast<long>(tail));
    Received received;
    received.restTaken = !tailKept;
    received.pieces.assign(with.begin() + static_cast<long>(at),
                           tailKept ? with.end() - static_cast<long>(tail) : with.end());
    return received;
}

// The ARG lines that would give the program what was meant: each piece on
// a line of its own, first as it is, then with a final backslash doubled.
std::optional<std::vector<std::string>> verifiedFix(const Build& split, const std::vector<std::string>& meant) {
    std::vector<std::string> doubled;
    for (const std::string& piece : meant) {
        const std::size_t last = piece.find_last_not_of('\\');
        const std::size_t count = piece.size() - (last == std::string::npos ? 0 : last + 1);
        doubled.push_back(piece + std::string(count, '\\'));
    }
    for (const std::vector<std::string>& lines : {meant, doubled}) {
        if (!compare(split, lines, meant)) return lines;
    }
    return std::nullopt;
}

class ArgRules {
public:
    ArgRules(Platform& platform, const std::string& launcherDir, IniWalk& walk)
        : platform_(platform), launcherDir_(launcherDir), walk_(walk), values_(walk.values) {}

    void installer() {
        const bool msi = isMsiPackage(values_.iniInstallerLocation);
        const auto build = [&](const std::vector<std::string>& args) {
            LauncherState run;
            run.launcherDir = launcherDir_;
            run.iniInstallerLocation = values_.iniInstallerLocation;
            run.nl = values_.iniNL;
            run.appDataLocation = values_.iniAppDataLocation;
            run.iniInstallerArgs = args;
            buildInstallerFor(platform_, run);
            return joinArgVector(run.installerArglist);
        };
        const Build direct = [&](const std::vector<std::string>& args) {
            return splitCommandLine(build(args), msi ? SplitRules::WindowsInstaller : SplitRules::CRuntime);
        };
        // An executable installer hands the text of its /v argument on to
        // Windows Installer, which splits it once more.
        const Build properties = [&](const std::vector<std::string>& args) {
            // Called only where the /v argument arrives whole (see lines()).
            return splitCommandLine(direct(args).back().substr(2), SplitRules::WindowsInstaller);
        };
        lines(IniSection::Installer, values_.iniInstallerArgs, msi ? direct : properties,
              msi ? "msiexec.exe" : "Windows Installer, through the installer's /v argument,", msi ? Build() : direct);
    }

    void agent() {
        const std::string folder = "C:\\Agent";
        const Build split = [&](const std::vector<std::string>& args) {
            const AgentSettings settings{.refLocation = folder,
                                         .iniManagerLauncher = values_.iniManagerLauncher,
                                         .iniManagerLauncherSilent = values_.iniManagerLauncherSilent,
                                         .iniManagerArgs = args};
            LaunchCommands commands;
            buildAgentCommand(platform_.systemCodePage(), settings, commands);
            return splitCommandLine(joinArgVector(commands.agentArglist), SplitRules::CRuntime);
        };
        lines(IniSection::Manager, values_.iniManagerArgs, split, "The agent", Build());
    }

private:
    // outer, when given, splits the installer's own command line: when its
    // /v argument falls apart, the properties never arrive whole.
    void lines(IniSection section, const std::vector<std::string>& args, const Build& split, const std::string& who,
               const Build& outer) {
        const std::vector<ValuePlace>& places = walk_.listPlaces[findIniKey(section, "ARG")];
        for (std::size_t i = 0; i < args.size(); ++i) {  // one place an ARG line
            const std::string& arg = args[i];
            const bool marks = arg.find('"') != std::string::npos;
            if (!marks && !arg.ends_with('\\')) continue;  // passed on whole, quoted where it has a blank
            const std::vector<std::string> meant =
                marks ? splitCommandLine(arg, SplitRules::WindowsInstaller) : std::vector<std::string>{arg};
            std::optional<Received> received;
            std::string receiver = who;
            if (outer) {
                const std::vector<std::string> whole = outer({arg});
                const std::vector<std::string> base = outer({});
                const auto v =
                    std::find_if(base.begin(), base.end(), [](const std::string& a) { return a.starts_with("/v"); });
                if (whole.size() != base.size() && v != base.end()) {
                    received = Received{{whole.begin() + (v - base.begin()), whole.end()}, true};
                    receiver = "The installer";
                }
            }
            if (receiver == who) received = compare(split, {arg}, meant);
            if (received) report(places.at(i), marks, receiver, *received, verifiedFix(split, meant));
        }
    }

    void report(ValuePlace at, bool marks, const std::string& receiver, const Received& received,
                const std::optional<std::vector<std::string>>& fix) {
        const std::size_t count = received.pieces.size();
        const std::string pieces = std::to_string(count) + (count == 1 ? " argument" : " arguments") +
                                   (count == 0 ? "" : ": " + bracketed(received.pieces));
        const std::string effect =
            receiver == "The installer"
                ? "The installer's /v argument ends early: from there on, the installer receives " + pieces + "."
                : receiver + " receives from it " + pieces +
                      (received.restTaken ? ", the rest of the command line included" : "") + ".";
        std::string fixText = "Write each argument on an ARG line of its own, without quotation marks.";
        if (fix) {
            fixText.clear();
            for (const std::string& line : *fix) fixText += (fixText.empty() ? "ARG=" : ", then ARG=") + line;
            if (fix->size() > 1) fixText += ", each on a line of its own";
            fixText += ": the launcher adds the quotation marks that a blank needs.";
        }
        walk_.findings.push_back(Finding{
            at.line, at.column, "arg-split",
            marks ? "Quotation marks in an ARG line are passed on as written, inside the quotation marks that the "
                    "launcher adds itself around an argument with a blank."
                  : "The launcher puts an argument with a blank in quotation marks, and the backslash at its end "
                    "escapes the closing mark.",
            effect, fixText});
    }

    Platform& platform_;
    const std::string& launcherDir_;
    IniWalk& walk_;
    const IniValues& values_;
};

}  // namespace

void checkArgLines(Platform& platform, const std::string& launcherDir, IniWalk& walk) {
    ArgRules rules(platform, launcherDir, walk);
    rules.installer();
    rules.agent();
}

}  // namespace launcher::check
