// ARG lines as their program receives them. The launcher passes each ARG
// line on as one element of the command line, quoted by its own builders;
// the program then splits the whole line again. Quotation marks written in
// an ARG line, or a backslash before a closing mark, change that split.
// The command lines come from the launcher's builders; only the splitting,
// which is the receiving program's, is done here.
#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>

#include "check/ini_lint.h"
#include "commands/launch_commands.h"
#include "config/text_rules.h"
#include "launcher/effective_settings.h"
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

// Takes the backslashes at i, as the C runtime reads them: they count only
// before a quotation mark, where each pair gives one and an odd one makes
// the mark literal. Returns the position after what it took.
std::size_t takeBackslashes(std::string_view line, std::size_t i, std::string& current) {
    const std::size_t end = line.find_first_not_of('\\', i);
    const std::size_t count = (end == std::string_view::npos ? line.size() : end) - i;
    i += count;
    if (i >= line.size() || line[i] != '"') {
        current.append(count, '\\');
        return i;
    }
    current.append(count / 2, '\\');
    if (count % 2 == 0) return i;
    current += '"';
    return i + 1;
}

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
            i = takeBackslashes(line, i, current);
        } else if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            current += '"';
            i += 2;
        } else {
            if (c == '"') quoted = !quoted;
            if (c != '"') current += c;
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

// Where a piece of a line begins another argument: a switch (/x, -x), or
// a property assignment NAME=.
bool isSwitch(std::string_view piece) {
    return piece.size() > 1 && (piece[0] == '/' || piece[0] == '-') &&
           (std::isalpha(static_cast<unsigned char>(piece[1])) || piece[1] == '?');
}

bool isProperty(std::string_view piece) {
    const std::size_t equals = piece.find('=');
    if (equals == 0 || equals == std::string_view::npos || std::isdigit(static_cast<unsigned char>(piece[0]))) {
        return false;
    }
    return piece.substr(0, equals).find_first_not_of(
               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_.") == std::string_view::npos;
}

// The arguments that a line without quotation marks most likely holds: a
// new one begins at every switch or property after a blank, and after a
// first switch without "=" or ":", which takes what follows as its value.
// "INSTALLDIR=C:\Program Files\Agent" and "C:\My Data" are one argument.
std::vector<std::string> meantArguments(const std::string& line) {
    std::vector<std::size_t> starts;
    std::vector<std::size_t> ends;
    bool bareSwitch = false;  // the first piece is a switch that takes a value
    for (std::size_t at = line.find_first_not_of(" \t"); at != std::string::npos;
         at = line.find_first_not_of(" \t", at)) {
        const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
        const std::string_view piece = std::string_view(line).substr(at, end - at);
        if (starts.empty() || isSwitch(piece) || isProperty(piece) || (bareSwitch && starts.size() == 1)) {
            bareSwitch = starts.empty() && isSwitch(piece) && piece.find_first_of("=:") == std::string_view::npos;
            starts.push_back(at);
            ends.push_back(end);
        } else {
            ends.back() = end;
        }
        at = end;
    }
    if (starts.size() < 2) return {line};
    std::vector<std::string> arguments;
    for (std::size_t i = 0; i < starts.size(); ++i) arguments.push_back(line.substr(starts[i], ends[i] - starts[i]));
    return arguments;
}

// The option that a piece of a command line sets: a switch as written,
// or a property's name with its "="; empty for anything else.
std::string optionOf(const std::string& piece) {
    if (isProperty(piece)) return piece.substr(0, piece.find('=') + 1);
    return isSwitch(piece) && piece.find(' ') == std::string::npos ? piece : std::string();
}

// Windows Installer's names for its options: either switch character, and
// the long names of options that the launcher writes short.
std::string windowsInstallerOption(std::string option) {
    constexpr std::pair<const char*, const char*> kLongNames[] = {{"/package", "/i"}, {"/passive", "/q"}};
    if (option.starts_with('-')) option[0] = '/';
    for (const auto& [name, shortName] : kLongNames) {
        if (equalsAsciiIgnoringCase(option, name)) return shortName;
    }
    return option;
}

// A sample value of each kind of setting that puts options on a command line.
std::string sampleOf(ValueKind kind) {
    switch (kind) {
    case ValueKind::TruthWord:
        return "true";
    case ValueKind::DataFolder:
        return "C:\\Data";
    case ValueKind::Locale:
        return "de_DE";
    case ValueKind::InputFile:
        return "C:\\input.xml";
    case ValueKind::AgentProgram:
        return "java.exe";
    default:
        return std::string();
    }
}

// The programs that receive ARG lines.
enum class Receiver {
    Msiexec,          // msiexec.exe, for an MSI package
    SetupProgram,     // an executable installer, its own command line
    SetupProperties,  // Windows Installer, through the executable installer's /v argument
    Agent,
};

// An option that the launcher puts on a program's command line itself, and
// the INI key that makes it do so (none: it always does).
struct OwnOption {
    std::string option;
    std::string piece;
    const IniKey* key;
};

class ArgRules {
public:
    ArgRules(Platform& platform, IniWalk& walk) : platform_(platform), walk_(walk), values_(walk.values) {}

    void all() {
        const bool msi = isMsiPackage(values_.iniInstallerLocation);
        for (const IniKey& key : iniKeys()) {
            if (key.kind == ValueKind::InstallerArgument) {
                lines(key, msi ? Receiver::Msiexec : Receiver::SetupProperties,
                      msi ? "msiexec.exe" : "Windows Installer, through the installer's /v argument,", !msi);
            } else if (key.kind == ValueKind::AgentArgument) {
                lines(key, Receiver::Agent, "The agent", false);
            }
        }
    }

private:
    // What the program receives of a run with these INI values, split as it
    // splits its command line.
    std::vector<std::string> received(Receiver receiver, const IniValues& values) {
        LauncherState run;
        static_cast<IniValues&>(run) = values;
        resolveEffectiveSettings(platform_, run);
        run.refLocation = "C:\\Agent";
        buildInstallerFor(platform_, run);
        buildAgentFor(platform_, run);
        switch (receiver) {
        case Receiver::Msiexec:
            return splitCommandLine(joinArgVector(run.installerArglist), SplitRules::WindowsInstaller);
        case Receiver::Agent:
            return splitCommandLine(joinArgVector(run.agentArglist), SplitRules::CRuntime);
        default:
            break;
        }
        const std::vector<std::string> setup =
            splitCommandLine(joinArgVector(run.installerArglist), SplitRules::CRuntime);
        if (receiver == Receiver::SetupProgram) return setup;
        // An executable installer hands the text of its /v argument on to
        // Windows Installer, which splits it once more. It arrives whole
        // only where lines() finds it so.
        return splitCommandLine(setup.back().substr(std::min<std::size_t>(2, setup.back().size())),
                                SplitRules::WindowsInstaller);
    }

    Build build(Receiver receiver, const IniKey& key) {
        return [this, receiver, &key](const std::vector<std::string>& args) {
            IniValues values = values_;
            values.*(key.list) = args;
            return received(receiver, values);
        };
    }

    // The options that the launcher puts on the program's command line:
    // those of a run without settings, then those that each setting adds.
    std::vector<OwnOption> ownOptions(Receiver receiver) {
        IniValues base;
        base.iniInstallerLocation = values_.iniInstallerLocation;
        std::vector<OwnOption> own;
        const auto collect = [&](const IniValues& values, const IniKey* key) {
            for (const std::string& piece : received(receiver, values)) {
                const std::string option = optionOf(piece);
                const auto same = [&](const OwnOption& known) { return known.option == option; };
                if (!option.empty() && std::none_of(own.begin(), own.end(), same)) own.push_back({option, piece, key});
            }
        };
        collect(base, nullptr);
        for (const IniKey& key : iniKeys()) {
            if (sampleOf(key.kind).empty()) continue;  // only text keys have samples
            IniValues values = base;
            values.*(key.text) = sampleOf(key.kind);
            collect(values, &key);
        }
        return own;
    }

    // What the receiver gets of one ARG line, when it is not what was meant.
    // outer: the line goes inside an executable installer's /v argument;
    // when that argument falls apart, the installer itself gets the rest,
    // and heard says so.
    std::optional<Received> receivedOf(const std::string& arg, const std::vector<std::string>& meant,
                                       const Build& split, bool outer, const IniKey& key, std::string& heard) {
        if (outer) {
            const Build setup = build(Receiver::SetupProgram, key);
            const std::vector<std::string> whole = setup({arg});
            const std::vector<std::string> base = setup({});
            const auto v =
                std::find_if(base.begin(), base.end(), [](const std::string& a) { return a.starts_with("/v"); });
            if (whole.size() != base.size() && v != base.end()) {
                heard = "The installer";
                return Received{{whole.begin() + (v - base.begin()), whole.end()}, true};
            }
        }
        return compare(split, {arg}, meant);
    }

    void lines(const IniKey& key, Receiver receiver, const std::string& who, bool outer) {
        const std::vector<std::string>& args = values_.*(key.list);
        const std::vector<ValuePlace>& places = walk_.listPlaces[&key];
        const Build split = build(receiver, key);
        std::vector<std::pair<std::string, ValuePlace>> meantAll;  // each meant argument, and its line
        for (std::size_t i = 0; i < args.size(); ++i) {            // one place an ARG line
            const std::string& arg = args[i];
            const bool marks = arg.find('"') != std::string::npos;
            const std::vector<std::string> meant =
                marks ? splitCommandLine(arg, SplitRules::WindowsInstaller) : meantArguments(arg);
            for (const std::string& piece : meant) meantAll.emplace_back(piece, places.at(i));
            // Passed on whole, quoted where it has a blank.
            if (!marks && meant.size() == 1 && !arg.ends_with('\\')) continue;
            std::string heard = who;
            if (const std::optional<Received> received = receivedOf(arg, meant, split, outer, key, heard)) {
                report(places.at(i), marks, meant.size() > 1 && !marks, heard, *received, verifiedFix(split, meant));
            }
        }
        optionsAdded(receiver, who, meantAll);
    }

    // Options written in ARG lines that the launcher already gives the receiver.
    void optionsAdded(Receiver receiver, const std::string& who,
                      const std::vector<std::pair<std::string, ValuePlace>>& meantAll) {
        std::vector<std::string> meant;
        for (const auto& [piece, place] : meantAll) meant.push_back(piece);
        const std::vector<OwnOption> own = ownOptions(receiver);
        for (std::size_t i = 0; i < meant.size(); ++i) {
            const auto same = [&](const OwnOption& option) {
                return sameOption(receiver, optionOf(meant[i]), option.option);
            };
            const auto found = std::find_if(own.begin(), own.end(), same);
            if (found != own.end()) launcherAdds(meantAll[i].second, receiver, who, meant, i, *found);
        }
    }

    static bool sameOption(Receiver receiver, const std::string& written, const std::string& own) {
        if (receiver == Receiver::Agent) return equalsAsciiIgnoringCase(written, own);
        // Windows Installer's one-letter options take modifiers: /qn is /q.
        const std::string option = windowsInstallerOption(written);
        return equalsAsciiIgnoringCase(option, own) ||
               (own.size() == 2 && own[0] == '/' && equalsAsciiIgnoringCase(option.substr(0, 2), own));
    }

    void launcherAdds(ValuePlace at, Receiver receiver, const std::string& who, const std::vector<std::string>& meant,
                      std::size_t i, const OwnOption& own) {
        const std::string& written = meant[i];
        const char* line = receiver == Receiver::Msiexec ? "msiexec.exe's command line"
                           : receiver == Receiver::Agent ? "the agent's command line"
                                                         : "the /v argument that the installer hands on to Windows "
                                                           "Installer";
        std::string shown = own.piece;
        std::string fix = "Remove the line: the launcher adds " + shown + " itself.";
        std::string when = "on every run";
        if (own.key != nullptr) {
            const std::string name = own.key->name;
            if (isProperty(shown)) shown = own.option + "...";
            std::string value = sampleOf(own.key->kind);
            when = "when " + name + " is set";
            if (own.key->kind == ValueKind::AgentProgram) {
                when = "for " + name + "=" + value;
                fix = "Remove the line: the launcher adds " + shown + " itself " + when + ".";
            } else {
                if (own.key->kind != ValueKind::TruthWord) {
                    value = isProperty(written) ? written.substr(written.find('=') + 1)
                            : i + 1 < meant.size() && optionOf(meant[i + 1]).empty() ? meant[i + 1]
                                                                                     : "<value>";
                }
                fix = name + "=" + value + " below " + sectionLabel(own.key->section) +
                      ", instead of this line: the launcher passes it on to every program that takes it.";
            }
        }
        walk_.findings.push_back(Finding{
            at.line, at.column, "arg-launcher-adds",
            "The launcher puts " + shown + " on " + line + " itself " + when +
                "; an ARG line that says it as well is passed on beside it.",
            who + " receives " + written + " from this line, and " + shown + " from the launcher as well " + when +
                (own.key != nullptr && own.key->kind != ValueKind::AgentProgram
                     ? "; nothing else that " + std::string(own.key->name) + " does follows from it."
                     : "."),
            fix});
    }

    void report(ValuePlace at, bool marks, bool several, const std::string& receiver, const Received& received,
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
            at.line, at.column, several ? "arg-several" : "arg-split",
            marks     ? "Quotation marks in an ARG line are passed on as written, inside the quotation marks that the "
                        "launcher adds itself around an argument with a blank."
            : several ? "An ARG line is one argument: the launcher passes it on whole, in quotation marks when it "
                        "holds a blank, and this line holds several."
                      : "The launcher puts an argument with a blank in quotation marks, and the backslash at its end "
                        "escapes the closing mark.",
            effect, fixText});
    }

    Platform& platform_;
    IniWalk& walk_;
    const IniValues& values_;
};

}  // namespace

void checkArgLines(Platform& platform, IniWalk& walk) {
    ArgRules rules(platform, walk);
    rules.all();
}

}  // namespace launcher::check
