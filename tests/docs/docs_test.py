#!/usr/bin/env python3
"""The options and exit statuses of the three programs, as each one's --help,
its man page and the README give them, must be the same lists.

    docs_test.py <build folder> <source folder>
"""
import re
import subprocess
import sys
from pathlib import Path

build, source = Path(sys.argv[1]), Path(sys.argv[2])
PROGRAMS = {
    "NesmoComm": build / "src" / "NesmoComm",
    "nesmo7-sim": build / "src" / "sim" / "nesmo7-sim",
    "nesmo7-cli": build / "src" / "cli" / "nesmo7-cli",
}
# An option as a tag names it: dashed ones, and the bare words the program takes.
TOKEN = re.compile(r"(?<![\w-])(--?[a-z][a-z0-9-]*|net|auto485|FILE)(?![\w-])")


def tokens(tag):
    return set(TOKEN.findall(tag))


def help_lists(text):
    """Options from the "Options:" block (the first column of each entry), exit
    statuses from the "Exit status:" block."""
    options, statuses, block = set(), set(), None
    for line in text.splitlines():
        if not line.startswith(" "):
            block = line.rstrip(":") if line.endswith(":") else None
            continue
        if block == "Options":
            # The entry's own column: up to the first run of two blanks after it.
            entry = re.match(r"\s+(\S.*?)(\s{2,}|$)", line)
            if entry and re.match(r"\s{1,4}\S", line):
                options |= tokens(entry.group(1))
        elif block == "Exit status":
            number = re.match(r"\s+(\d+)\s", line)
            if number:
                statuses.add(int(number.group(1)))
    return options, statuses


def roff_plain(line):
    line = re.sub(r"\\f[BIRP]", "", line).replace("\\-", "-").replace("\\e", "\\")
    line = re.sub(r'^\.(B|I|BR|BI|IR|RB|RI)\s+', "", line)
    return line.replace('"', " ")


def man_lists(text):
    """Options from the tags of the OPTIONS section, exit statuses from the tags
    of EXIT STATUS."""
    options, statuses, section, tag_next = set(), set(), None, False
    for line in text.splitlines():
        if line.startswith(".SH "):
            section = line[4:].strip().strip('"')
            continue
        if line.startswith(".TP"):
            tag_next = True
            continue
        if tag_next:
            tag_next = False
            plain = roff_plain(line)
            if section == "OPTIONS":
                options |= tokens(plain)
            elif section == "EXIT STATUS" and plain.strip().isdigit():
                statuses.add(int(plain))
    return options, statuses


def readme_words(text):
    """The NesmoComm words of the README's table under "Command-line words"."""
    table = text.split("## Command-line words", 1)[1].split("\n\n", 2)[1]
    words = set()
    for row in table.splitlines()[2:]:
        first = row.split("|")[1]
        for word in re.findall(r"`([^`]+)`", first):
            words |= tokens(word)
    return words


failures = []
for name, program in PROGRAMS.items():
    help_text = subprocess.run([str(program), "--help"], capture_output=True, text=True,
                               check=True).stdout
    man_text = (source / "dist" / f"{name}.1.in").read_text()
    h_opts, h_exit = help_lists(help_text)
    m_opts, m_exit = man_lists(man_text)
    print(f"{name}: options {sorted(h_opts)}, exit statuses {sorted(h_exit)}")
    if not h_opts or not h_exit:
        failures.append(f"{name}: --help has no options or no exit statuses")
    if h_opts != m_opts:
        failures.append(f"{name}: options only in --help {sorted(h_opts - m_opts)}, "
                        f"only in the man page {sorted(m_opts - h_opts)}")
    if h_exit != m_exit:
        failures.append(f"{name}: exit statuses in --help {sorted(h_exit)}, "
                        f"in the man page {sorted(m_exit)}")
    if name == "NesmoComm":
        r_opts = readme_words((source / "README.md").read_text())
        if r_opts != h_opts:
            failures.append(f"NesmoComm: options only in --help {sorted(h_opts - r_opts)}, "
                            f"only in the README {sorted(r_opts - h_opts)}")

for f in failures:
    print("MISMATCH", f)
sys.exit(1 if failures else 0)
