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


def windows_to_prefix(prefix, path):
    return prefix / "drive_c" / path[3:].replace("\\", "/")


def write_text(path, text, crlf=True):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(text.replace("\n", "\r\n").encode() if crlf else text.encode())


def plan(agent_dir=None, version=None, exits=None):
    """A stub plan: exit codes, and for an installer the agent's record in
    the registry, its config.ini (drive colon and backslashes escaped) and
    its installed.xml."""
    lines = ["exit " + exits] if exits else []
    if version:
        data = agent_dir + "\\data"
        escaped = data[0] + "\\:" + data[2:].replace("\\", "\\\\")
        lines.append("reg HKLM|Software\\Quillmark|location|" + agent_dir)
        lines.append(f"file {agent_dir}\\eclipse\\configuration\\config.ini|tessa.appDataLocation={escaped}%r%n")
        lines.append(f"file {data}\\installed.xml|<installed>%r%n"
                     f"  <package id='com.norvex.tessa.agent' version='{version}'/>%r%n</installed>%r%n")
    return "\n".join(lines) + "\n"


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
        if installer_plan is not None:
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

    for name, _, installer, mode, installed, installer_exits, new_version, agent_exits, extra in OUTCOMES:
        agent_dir = f"C:\\Agents\\{name}"
        ini = None if installer is None else BASE_INI.format(installer=installer, mode=mode)
        installer_plan = plan(agent_dir, new_version, installer_exits) if installer == "disk1\\setup.exe" else None
        situation(name, ini, agent_dir, installed, installer_plan, agent_exits, extra)
    write_text(windows_to_prefix(prefix, f"{IMAGES}\\run.cmd"), "@echo off\n" + "\n".join(runs) + "\n")


def run(build):
    prefix = build / "docs-examples" / "wineprefix"
    runner = ROOT / "tests" / "e2e" / "run_under_wine.sh"
    snapshot = "Z:" + str(build / "box_snapshot.exe").replace("/", "\\")
    env = {"LC_ALL": "en_US.UTF-8"}
    # The first call makes the prefix (box_snapshot only prints its usage).
    subprocess.run([str(runner), str(prefix), str(build / "box_snapshot.exe")], capture_output=True,
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

    # The table of outcomes: exit code and box of each situation, as run.
    sections = dict(re.findall(r"### run (\S+)\n(.*?)(?=###|\Z)", output, re.S))
    rows = ["| Situation | Exit code | Box shown (English) | Agent runs |", "|---|---|---|---|"]
    for name, description, *_ in OUTCOMES:
        calls = windows_to_prefix(prefix, f"C:\\Agents\\{name}\\eclipse\\agent.calls")
        agent_runs = len(calls.read_text().strip().splitlines()) if calls.exists() else 0
        section = sections.get(name, "")
        code = re.search(r"exit code: (-?\d+)", section)
        boxes = re.findall(r"box: (.*)", section)
        box = "; ".join(f"**{b.split(' | ', 1)[0] or '(no title)'}**: {b.split(' | ', 1)[1]}" for b in boxes)
        rows.append(f"| {description} | {code.group(1) if code else '?'} | {box.replace('|', '&#124;') or 'none'} "
                    f"| {agent_runs} |")
    examples["exit-codes"] = "\n".join(rows) + "\n"
    out = build / "docs-examples"
    for name, text in examples.items():
        (out / f"{name}.txt").write_text(text)
    return examples


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
