#!/usr/bin/env python3
"""Keeps the examples in docs/ true: runs the real launcher.exe under Wine in
the situations the documentation shows, and compares (or rewrites) every
marked example with what the runs produced.

    doc_examples.py BUILD_DIR check     compare docs/*.md with fresh runs
    doc_examples.py BUILD_DIR update    rewrite the examples in docs/*.md

An example in a Markdown file is marked like this; everything between the
two comments is the example (a fenced block, or a table):

    <!-- example: install-trace#Mode -->
    ```text
    ...
    ```
    <!-- /example -->

The name is a file that the runs produced (see EXAMPLES below); "#Title"
picks one block of a trace, from its title to the next empty line, and
"#Title@2" the second block of that title.
"""
import difflib
import pathlib
import re
import shutil
import subprocess
import sys
import uuid

ROOT = pathlib.Path(__file__).resolve().parent.parent
IMAGES = "C:\\Images"

# The walk-through's agent; the situations of the table have one each.
AGENT_DIR = "C:\\Program Files\\Quillmark"

BASE_INI = """; The launcher's INI file; comments begin in the first column.
[INSTALLER]
LOCATION={installer}
[MANAGER]
LOCATION_KEY=Software\\Quillmark
VERSION=2.0
LAUNCHER=eclipse\\agent.exe
MODE={mode}
[COMMON]
APPDATALOCATION=C:\\ProgramData\\Quillmark
"""

# Situations for the table of exit codes: what the image holds, how the
# launcher is started, and what its children do.
#   name, description, installer location, mode, installed version before,
#   installer plan, version the installer installs, agent plan, arguments
OUTCOMES = [
    ("ini-missing", "The INI file cannot be opened", None, "", None, None, None, None, ""),
    ("usage", "A help option (-help, -?, /help, /?)", "disk1\\setup.exe", "", None, None, None, None, "-help"),
    ("no-installer", "Agent missing or too old, no installer configured (MODE INSTALL or UNINSTALL)", "", "", None,
     None, None, None, ""),
    ("no-installer-extension", "The same, MODE EXTENSION", "", "EXTENSION", None, None, None, None, ""),
    ("msi-missing", "The MSI package does not exist", "disk1\\agent.msi", "", None, None, None, None, ""),
    ("installer-missing", "The executable installer does not exist", "disk1\\missing.exe", "", None, None, None,
     None, ""),
    ("cancelled", "The installer returned 1602 (cancelled by the user)", "disk1\\setup.exe", "", None, "1602", None,
     None, ""),
    ("cancelled-232", "An executable installer returned 232", "disk1\\setup.exe", "", None, "232", None, None, ""),
    ("installer-error", "The installer returned another code (here 1603)", "disk1\\setup.exe", "", None, "1603", None,
     None, ""),
    ("restart-required", "The installer returned 3010 (installed, restart required); the agent is handed over",
     "disk1\\setup.exe", "", None, "3010", "2.0", None, ""),
    ("restart-started", "The installer returned 1641 (installed, restart started); the agent, waited for, exits with 5",
     "disk1\\setup.exe", "", None, "1641", "2.0", "5", "-wait"),
    ("still-too-old", "The installer returned 0, but the agent is still too old", "disk1\\setup.exe", "", None, "0",
     "1.9", None, ""),
    ("silent", "The same, silent (-silent or SILENT=true): no box", "disk1\\setup.exe", "", None, "0", "1.9", None,
     "-silent"),
    ("agent-waited", "Agent started with waiting (-wait), it exits with 5", "disk1\\setup.exe", "", "2.0", None, None,
     "5", "-wait"),
    ("agent-restarted", "The agent exits with 23 twice, then with 0: it runs three times", "disk1\\setup.exe", "",
     "2.0", None, None, "23 23 0", "-wait"),
    ("handed-over", "Agent handed over (no -wait): the launcher ends at once", "disk1\\setup.exe", "", "2.0", None,
     None, "7", ""),
]

# The same kind of situations run silently, as deployment tools run the
# launcher; NOT_A_PROGRAM puts a file that is no program in the installer's
# place.
NOT_A_PROGRAM = "not a program"
SILENT_OUTCOMES = [
    ("silent-agent-0", "Agent found, waited for, it ends with 0", "disk1\\setup.exe", "", "2.0", None, None, "0",
     "-silent"),
    ("silent-agent-4", "Agent found, waited for, it ends with 4", "disk1\\setup.exe", "", "2.0", None, None, "4",
     "-silent"),
    ("silent-no-installer", "Agent missing, no installer configured", "", "", None, None, None, None, "-silent"),
    ("silent-1602", "The installer returned 1602 (cancelled)", "disk1\\setup.exe", "", None, "1602", None, None,
     "-silent"),
    ("silent-232", "An executable installer returned 232 (cancelled)", "disk1\\setup.exe", "", None, "232", None,
     None, "-silent"),
    ("silent-1618", "The installer returned 1618 (another installation in progress)", "disk1\\setup.exe", "", None,
     "1618", None, None, "-silent"),
    ("silent-1603", "The installer returned 1603 (fatal error)", "disk1\\setup.exe", "", None, "1603", None, None,
     "-silent"),
    ("silent-3010", "The installer returned 3010 (restart required), the agent then ends with 0",
     "disk1\\setup.exe", "", None, "3010", "2.0.1", "0", "-silent"),
    ("silent-1641", "The installer returned 1641 (restart started), the agent then ends with 0", "disk1\\setup.exe",
     "", None, "1641", "2.0.1", "0", "-silent"),
    ("silent-3010-agent-4", "The installer returned 3010, the agent then ends with 4", "disk1\\setup.exe", "", None,
     "3010", "2.0.1", "4", "-silent"),
    ("silent-not-a-program", "The installer cannot be started (setup.exe is no program)", "disk1\\setup.exe", "",
     None, NOT_A_PROGRAM, None, None, "-silent -log C:\\Images\\not-a-program-trace.txt"),
    ("silent-ini-missing", "The INI file is missing", None, "", None, None, None, None, "-silent"),
]

# Installer arguments as a packager passes them: a log for msiexec (two ARG
# lines, the path with a blank) and a restart left to the deployment tool.
ARG_LINES = "ARG=/l*v\nARG=C:\\Windows\\Temp\\Quillmark agent.log\nARG=REBOOT=ReallySuppress\n"

# A silent upgrade by msiexec.exe with the package of docs/agent-package.wxs:
# version 2.0.0 is installed, the image brings 2.1.0.
DEPLOY_INI = """[INSTALLER]
LOCATION=disk1\\Quillmark.msi
{args}[MANAGER]
LOCATION_KEY=Software\\Quillmark
VERSION=2.1
LAUNCHER=eclipse\\agent.exe
[COMMON]
APPDATALOCATION=C:\\ProgramData\\Quillmark
""".format(args=ARG_LINES)
DEPLOY_LOG = "C:\\ProgramData\\QuillmarkSetup.log"
PACKAGE_CONFIG_INI = "tessa.appDataLocation=C\\:\\\\ProgramData\\\\Quillmark\n"
PACKAGE_INSTALLED_XML = "<installed>\n  <package id='com.norvex.tessa.agent' version='{version}'/>\n</installed>\n"
# A fixed product code for each version built here (the package itself says
# "*"), so that each run can remove what the one before installed.
PRODUCT_CODES = {version: "{" + str(uuid.uuid5(uuid.NAMESPACE_URL, "quillmark-docs-package-" + version)).upper() + "}"
                 for version in ("2.0.0", "2.1.0")}


def windows_to_prefix(prefix, path):
    return prefix / "drive_c" / path[3:].replace("\\", "/")


def write_text(path, text, crlf=True):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(text.replace("\n", "\r\n").encode() if crlf else text.encode())


def plan(agent_dir=None, version=None, exits=None, hive="HKLM"):
    """A stub plan: exit codes, and for an installer the agent's record in
    the registry, its config.ini (drive colon and backslashes escaped) and
    its installed.xml."""
    lines = ["exit " + exits] if exits else []
    if version:
        data = agent_dir + "\\data"
        escaped = data[0] + "\\:" + data[2:].replace("\\", "\\\\")
        lines.append(f"reg {hive}|Software\\Quillmark|location|" + agent_dir)
        lines.append(f"file {agent_dir}\\eclipse\\configuration\\config.ini|tessa.appDataLocation={escaped}%r%n")
        lines.append(f"file {data}\\installed.xml|<installed>%r%n"
                     f"  <package id='com.norvex.tessa.agent' version='{version}'/>%r%n</installed>%r%n")
    return "\n".join(lines) + "\n"


def build_packages(build):
    """Builds docs/agent-package.wxs with wixl as versions 2.0.0 and 2.1.0,
    with the stub program as the agent. Each version gets a fixed product
    code instead of "*", so that the next run can remove what this one
    installed."""
    wxs = (ROOT / "docs" / "agent-package.wxs").read_text()
    assert 'Product Id="*"' in wxs and 'Version="2.1.0"' in wxs, "agent-package.wxs changed its Id or Version"
    for version, code in PRODUCT_CODES.items():
        stage = build / "docs-examples" / f"package-{version}"
        stage.mkdir(parents=True, exist_ok=True)
        shutil.copy(build / "stub_program.exe", stage / "agent.exe")
        write_text(stage / "config.ini", PACKAGE_CONFIG_INI)
        write_text(stage / "installed.xml", PACKAGE_INSTALLED_XML.format(version=version))
        (stage / "agent.wxs").write_text(wxs.replace('Product Id="*"', f'Product Id="{code}"')
                                         .replace('Version="2.1.0"', f'Version="{version}"'))
        subprocess.run(["wixl", "-o", "Quillmark.msi", "agent.wxs"], cwd=stage, check=True, capture_output=True)


def lay_out(prefix, build, snapshot):
    """Writes every image and agent into the prefix, and the batch file that
    runs them in order."""
    stub = build / "stub_program.exe"
    for folder in ("Images", "Agents", "Program Files/Quillmark", "ProgramData/Quillmark"):
        if (prefix / "drive_c" / folder).exists():
            shutil.rmtree(prefix / "drive_c" / folder)
    runs = []

    def copy_stub(path, stub_plan):
        target = windows_to_prefix(prefix, path)
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy(stub, target)
        write_text(target.with_suffix(".plan"), stub_plan)

    def situation(name, ini, agent_dir, installed, installer_plan, agent_exits, arguments):
        folder = windows_to_prefix(prefix, f"{IMAGES}\\{name}")
        folder.mkdir(parents=True)
        shutil.copy(build / "launcher.exe", folder / "QuillmarkSetup.exe")
        if ini is not None:
            write_text(folder / "QuillmarkSetup.ini", ini)
        if installer_plan == NOT_A_PROGRAM:
            write_text(folder / "disk1" / "setup.exe", NOT_A_PROGRAM)
        elif installer_plan is not None:
            copy_stub(f"{IMAGES}\\{name}\\disk1\\setup.exe", installer_plan)
        copy_stub(f"{agent_dir}\\eclipse\\agent.exe", plan(exits=agent_exits))
        runs.append('reg delete "HKLM\\Software\\Quillmark" /f >nul 2>nul')
        if installed:
            # An agent installed before the run, as its installer would leave it.
            copy_stub(f"{IMAGES}\\{name}\\prepare.exe", plan(agent_dir, installed))
            runs.append(f'"{IMAGES}\\{name}\\prepare.exe"')
        program = f"{IMAGES}\\{name}\\QuillmarkSetup.exe"
        runs.append(f"echo ### run {name}")
        runs.append(f'{snapshot} - "{program}" "\\"{program}\\"{" " + arguments if arguments else ""}"')

    # The walk-through: an installation, then a second run of the same
    # launcher that finds the agent.
    walk = BASE_INI.format(installer="disk1\\setup.exe", mode="")
    arguments = "-wait -log C:\\Images\\{trace} -nl de_DE -managerArgs -record \\\"C:\\My Files\\rec.xml\\\""
    situation("install", walk, AGENT_DIR, None, plan(AGENT_DIR, "2.0.1"), None,
              arguments.format(trace="install-trace.txt"))
    runs.extend(runs[-2:])
    runs[-1] = runs[-1].replace("install-trace.txt", "installed-trace.txt")
    runs[-2] = "echo ### run installed"

    for name, _, installer, mode, installed, installer_exits, new_version, agent_exits, extra in OUTCOMES + SILENT_OUTCOMES:
        agent_dir = f"C:\\Agents\\{name}"
        ini = None if installer is None else BASE_INI.format(installer=installer, mode=mode)
        installer_plan = None
        if installer_exits == NOT_A_PROGRAM:
            installer_plan = NOT_A_PROGRAM
        elif installer == "disk1\\setup.exe":
            installer_plan = plan(agent_dir, new_version, installer_exits)
        situation(name, ini, agent_dir, installed, installer_plan, agent_exits, extra)

    # The installer arguments as an executable installer receives them.
    args_ini = BASE_INI.format(installer="disk1\\setup.exe\n" + ARG_LINES.rstrip("\n"), mode="")
    situation("exe-args", args_ini, "C:\\Agents\\exe-args", None, plan("C:\\Agents\\exe-args", "2.0.1"), None,
              "-silent -nl de_DE")
    # A per-user installer (HKCU) under a launcher that reads HKLM: installed,
    # and still not found.
    situation("wrong-hive", walk, "C:\\Agents\\wrong-hive", None, plan("C:\\Agents\\wrong-hive", "2.0.1", hive="HKCU"),
              None, "-log C:\\Images\\wrong-hive-trace.txt")
    runs.append('reg delete "HKCU\\Software\\Quillmark" /f >nul 2>nul')

    # The silent upgrade by msiexec.exe, last: what it installs stays for the
    # products check, and is removed at the start of the next run.
    build_packages(build)
    folder = windows_to_prefix(prefix, f"{IMAGES}\\upgrade")
    (folder / "disk1").mkdir(parents=True)
    shutil.copy(build / "launcher.exe", folder / "QuillmarkSetup.exe")
    write_text(folder / "QuillmarkSetup.ini", DEPLOY_INI)
    shutil.copy(build / "docs-examples" / "package-2.1.0" / "Quillmark.msi", folder / "disk1" / "Quillmark.msi")
    shutil.copy(build / "docs-examples" / "package-2.0.0" / "Quillmark.msi", folder / "Quillmark-2.0.0.msi")
    program = f"{IMAGES}\\upgrade\\QuillmarkSetup.exe"
    runs.append('reg delete "HKLM\\Software\\Quillmark" /f >nul 2>nul')
    runs.append(f"msiexec /i {IMAGES}\\upgrade\\Quillmark-2.0.0.msi /q")
    runs.append("echo ### run upgrade")
    runs.append(f'{snapshot} - "{program}" "\\"{program}\\" -silent -log {DEPLOY_LOG}"')
    write_text(windows_to_prefix(prefix, f"{IMAGES}\\run.cmd"), "@echo off\n" + "\n".join(runs) + "\n")


def run(build):
    prefix = build / "docs-examples" / "wineprefix"
    runner = ROOT / "tests" / "e2e" / "run_under_wine.sh"
    snapshot = "Z:" + str(build / "box_snapshot.exe").replace("/", "\\")
    env = {"LC_ALL": "en_US.UTF-8"}
    # The first call makes the prefix (box_snapshot only prints its usage).
    subprocess.run([str(runner), str(prefix), str(build / "box_snapshot.exe")], capture_output=True,
                   env={**__import__("os").environ, **env})
    # What the last run's upgrade installed goes first, before the images
    # are laid out.
    subprocess.run([str(runner), str(prefix), "C:\\windows\\system32\\cmd.exe", "/c",
                    " & ".join(f"msiexec /x {code} /q" for code in PRODUCT_CODES.values())], capture_output=True,
                   env={**__import__("os").environ, **env})
    lay_out(prefix, build, snapshot)
    result = subprocess.run([str(runner), str(prefix), "C:\\windows\\system32\\cmd.exe", "/c",
                             f"{IMAGES}\\run.cmd"], capture_output=True, env={**__import__("os").environ, **env})
    output = result.stdout.decode("utf-8", "replace").replace("\r", "")
    examples = {}
    images = prefix / "drive_c" / "Images"
    for trace in ("install-trace", "installed-trace"):
        examples[trace] = (images / f"{trace}.txt").read_bytes().decode("latin-1").replace("\r\n", "\n")
    first_line = lambda path: path.read_text().replace("\r", "").split("\n")[0] + "\n"
    examples["installer-command"] = first_line(images / "install" / "disk1" / "setup.calls")
    examples["agent-command"] = first_line(windows_to_prefix(prefix, f"{AGENT_DIR}\\eclipse\\agent.calls"))

    for trace in ("wrong-hive-trace", "not-a-program-trace"):
        examples[trace] = (images / f"{trace}.txt").read_bytes().decode("latin-1").replace("\r\n", "\n")
    examples["deploy-trace"] = (windows_to_prefix(prefix, DEPLOY_LOG).read_bytes().decode("latin-1")
                                .replace("\r\n", "\n"))
    examples["exe-args-command"] = first_line(images / "exe-args" / "disk1" / "setup.calls")
    examples["deploy-ini"] = DEPLOY_INI
    examples["package-wxs"] = (ROOT / "docs" / "agent-package.wxs").read_text()
    examples["package-config-ini"] = PACKAGE_CONFIG_INI
    examples["package-installed-xml"] = PACKAGE_INSTALLED_XML.format(version="2.1.0")

    # The tables of outcomes: exit code and box of each situation, as run.
    sections = dict(re.findall(r"### (?:run )?(\S+)\n(.*?)(?=###|\Z)", output, re.S))

    def outcome(name):
        section = sections.get(name, "")
        code = re.search(r"exit code: (-?\d+)", section)
        boxes = re.findall(r"box: (.*)", section)
        box = "; ".join(f"**{b.split(' | ', 1)[0] or '(no title)'}**: {b.split(' | ', 1)[1]}" for b in boxes)
        return int(code.group(1)) if code else None, box.replace("|", "&#124;") or "none"

    rows = ["| Situation | Exit code | Box shown (English) | Agent runs |", "|---|---|---|---|"]
    for name, description, *_ in OUTCOMES:
        calls = windows_to_prefix(prefix, f"C:\\Agents\\{name}\\eclipse\\agent.calls")
        agent_runs = len(calls.read_text().strip().splitlines()) if calls.exists() else 0
        code, box = outcome(name)
        rows.append(f"| {description} | {'?' if code is None else code} | {box} | {agent_runs} |")
    examples["exit-codes"] = "\n".join(rows) + "\n"
    rows = ["| Silent run | Exit code | Box shown (English) |", "|---|---|---|"]
    for name, description, *_ in SILENT_OUTCOMES + [("upgrade", "Upgrade by msiexec.exe, then the agent ends with 0")]:
        code, box = outcome(name)
        shown = "?" if code is None else f"{code} (0x{code & 0xFFFFFFFF:08X}, {code & 0xFFFFFFFF})" if code < 0 else code
        rows.append(f"| {description} | {shown} | {box} |")
    examples["silent-codes"] = "\n".join(rows) + "\n"
    examples["windows-versions"] = windows_versions(prefix)
    # What Windows Installer lists after the upgrade: 2.0.0 is gone.
    products = [f"{values['DisplayName']} {values['DisplayVersion']}"
                for key, values in registry_keys(prefix, r".*\\Uninstall\\\{.*")
                if values.get("DisplayName") == "Quillmark"]
    examples["upgrade-products"] = "\n".join(products) + "\n"
    out = build / "docs-examples"
    for name, text in examples.items():
        (out / f"{name}.txt").write_text(text)
    return examples


def registry_keys(prefix, pattern):
    """The keys of the prefix's machine hive whose path matches the pattern,
    with their string values, read from Wine's system.reg."""
    text = (prefix / "system.reg").read_text(encoding="utf-8", errors="replace")
    for chunk in text.split("\n\n["):
        path, _, body = chunk.partition("]")
        path = path.replace("\\\\", "\\")
        if re.fullmatch(pattern, path):
            yield path, dict(re.findall(r'^"([^"]*)"="([^"]*)"$', body, re.M))


def windows_versions(prefix):
    """The Windows versions that the manifest declares, and the Wine that
    the examples (and the end-to-end tests, made by the same script) ran in."""
    manifest = (ROOT / "res" / "launcher.manifest").read_text()
    declared = re.findall(r"<!-- (Windows [^>]*?) -->\s*<supportedOS", manifest)
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    bits = "64-bit (WoW64)" if (prefix / "drive_c" / "windows" / "syswow64").is_dir() else "32-bit"
    _, windows = next(registry_keys(prefix, r"Software\\Microsoft\\Windows NT\\CurrentVersion"))
    reported = f"{windows['ProductName']} ({windows['CurrentVersion']}, build {windows['CurrentBuildNumber']})"
    return ("| | |\n|---|---|\n"
            f"| Declared in the manifest (`supportedOS`) | {', '.join(declared)} |\n"
            f"| Run under | {wine}, in a {bits} prefix that reports {reported} |\n")


def block(trace, title):
    """The block of a trace that starts with this title, up to the next empty
    line; "Title@2" is the second block of that title."""
    title, _, nth = title.partition("@")
    chunks = [chunk.lstrip("\n") for chunk in trace.split("\n\n")]
    found = [chunk for chunk in chunks if chunk.split("\n", 1)[0].strip() == title.strip()]
    if len(found) < int(nth or 1):
        raise KeyError(f"no block '{title}'")
    return found[int(nth or 1) - 1].rstrip("\n") + "\n"


MARK = re.compile(r"(<!-- example: (?P<name>[^#>]+?)(?:#(?P<block>[^>]+?))? -->\n)(?P<body>.*?)(<!-- /example -->)", re.S)


def expected_body(examples, match, old_body):
    text = examples[match.group("name")]
    if match.group("block"):
        text = block(text, match.group("block"))
    fenced = old_body.startswith("```")
    return f"```text\n{text}```\n" if fenced else text


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("check", "update"):
        raise SystemExit(__doc__)
    build = pathlib.Path(sys.argv[1]).resolve()
    examples = run(build)
    failures = 0
    for doc in sorted((ROOT / "docs").glob("*.md")):
        text = doc.read_text()

        def replace(match):
            nonlocal failures
            body = expected_body(examples, match, match.group("body"))
            if body != match.group("body"):
                failures += 1
                print(f"{doc.relative_to(ROOT)}: example {match.group('name')}"
                      f"{'#' + match.group('block') if match.group('block') else ''} differs from the run")
                sys.stdout.writelines(difflib.unified_diff(match.group("body").splitlines(True), body.splitlines(True),
                                                           "documented", "run"))
            return match.group(1) + body + match.group(5)

        updated = MARK.sub(replace, text)
        if sys.argv[2] == "update" and updated != text:
            doc.write_text(updated)
    if sys.argv[2] == "check" and failures:
        print(f"{failures} example(s) differ; see build/docs-examples/, or run tools/doc_examples.py BUILD update")
        sys.exit(1)
    print("examples " + ("updated" if sys.argv[2] == "update" else "match the runs"))


if __name__ == "__main__":
    main()
