#!/usr/bin/env python3
"""Checks the relative links and images of Markdown files: each must name a
file that exists, inside ROOT, and a "#part" must be a heading of the file it
names (with GitHub's anchors: lower case, punctuation dropped, blanks as
hyphens, "-1", "-2" for repeated headings). Links with a scheme (https:,
mailto:) are not followed. Text in code blocks and code spans is no link.

    check_links.py ROOT [FILE.md...]    without files: every *.md under ROOT

Prints each broken link as FILE:LINE: TARGET: reason; exits 1 when there is
one.
"""
import pathlib
import re
import sys
import urllib.parse

LINK = re.compile(r"!?\[[^\]]*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
FENCE = re.compile(r"^\s*(```|~~~)")


def prose_lines(path, spans=False):
    """The file's lines outside code blocks; code spans blanked, or with
    spans=True kept without their backquotes."""
    inside = False
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if FENCE.match(line):
            inside = not inside
            continue
        if not inside:
            yield number, line.replace("`", "") if spans else re.sub(r"`[^`]*`", "``", line)


def anchors(path):
    found = set()
    for _, line in prose_lines(path, spans=True):
        heading = re.match(r"^#{1,6}\s+(.*?)\s*#*\s*$", line)
        if not heading:
            continue
        text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading.group(1))
        slug = re.sub(r"[^\w\- ]", "", text.lower()).replace(" ", "-")
        anchor, repeat = slug, 0
        while anchor in found:
            repeat += 1
            anchor = f"{slug}-{repeat}"
        found.add(anchor)
    return found


def problems(root, path):
    for number, line in prose_lines(path):
        for target in LINK.findall(line):
            if re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:", target):
                continue
            file_part, _, anchor = urllib.parse.unquote(target).partition("#")
            named = (path.parent / file_part).resolve() if file_part else path.resolve()
            if file_part.startswith("/") or root not in (named, *named.parents):
                yield number, target, "outside the checked folder"
            elif not named.is_file():
                yield number, target, "no such file"
            elif anchor and named.suffix == ".md" and anchor not in anchors(named):
                yield number, target, f"no heading #{anchor} in {named.name}"


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    root = pathlib.Path(sys.argv[1]).resolve()
    files = [root / name for name in sys.argv[2:]] or sorted(root.rglob("*.md"))
    broken = checked = 0
    for path in files:
        for number, target, reason in problems(root, path):
            print(f"{path.relative_to(root)}:{number}: {target}: {reason}")
            broken += 1
        checked += 1
    print(f"{broken} broken link(s) in {checked} file(s) under {root}")
    sys.exit(1 if broken else 0)


if __name__ == "__main__":
    main()
