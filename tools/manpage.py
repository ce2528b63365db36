#!/usr/bin/env python3
"""pelmo-deck's manual page, made from the README's "## pelmo-deck" section, so the two say the
same; and the check that this section's synopsis is the one the program's help gives.

    manpage.py page README.md VERSION OUT           OUT is roff, gzip-compressed if it ends in .gz,
                                                    dated SOURCE_DATE_EPOCH (or today)
    manpage.py check README.md PELMO-DECK           the synopsis block against `PELMO-DECK help`,
                                                    and a "### command" section for each command

The section is the Markdown this README uses: "###" headings, paragraphs, "- " lists, fenced
code, tables, inline `code`, **bold**, <kbd>keys</kbd>, links and pictures (left out).
Exit status 0, 1 when the check fails or the README has no such section, 2 on bad usage.
"""

import gzip
import os
import re
import subprocess
import sys
import time

from common import write_if_changed

SECTION = "## pelmo-deck"
SUMMARY = "check, convert and publish vocabulary decks for pelmo"
NARROW = 24  # characters


class ManualError(Exception):
    pass


def section(readme):
    lines = readme.split("\n")
    try:
        start = lines.index(SECTION) + 1
    except ValueError:
        raise ManualError("the README has no %r section" % SECTION)
    end = next((k for k in range(start, len(lines)) if lines[k].startswith("## ")), len(lines))
    return lines[start:end]


def synopsis(lines):
    """The commands the section's first code block lists, one "pelmo-deck ..." a line, and the
    lines before and after that block."""
    fence = [k for k, line in enumerate(lines) if line.startswith("```")]
    block = lines[fence[0] + 1:fence[1]] if len(fence) > 1 else []
    if not block or not all(line.startswith("pelmo-deck ") for line in block):
        raise ManualError("the section does not start with a code block of the commands")
    return block, lines[:fence[0]], lines[fence[1] + 1:]


def escape(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text[:1] in (".", "'") else text


def inline(text):
    """Markdown's inline marks as roff fonts."""
    text = re.sub(r"!\[[^\]]*\]\([^)]*\)", "", text)
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"</?kbd>", "", text)
    out = []
    for k, piece in enumerate(re.split(r"(`[^`]*`|\*\*[^*]+\*\*)", text)):
        if k % 2:
            out.append("\\fB%s\\fR" % escape(piece.strip("`*")))
        else:
            out.append(escape(piece))
    return "".join(out)


def table(rows):
    """A tbl table whose last column takes the width left; its cells, and long ones elsewhere,
    are text blocks that wrap (elsewhere in a column NARROW wide)."""
    cells = [[c.strip() for c in row.strip().strip("|").split("|")] for row in rows]
    cells = [row + [""] * (len(cells[0]) - len(row)) for row in cells
             if not all(re.fullmatch(r":?-+:?", c) for c in row)]
    last = len(cells[0]) - 1
    long = [k == last or any(len(row[k]) > NARROW for row in cells) for k in range(last + 1)]
    formats = " ".join("lx" if k == last else "lw(%dn)" % NARROW if long[k] else "l"
                    for k in range(last + 1))
    lines = ["\t".join("T{\n.na\n%s\nT}" % inline(c) if long[k] else inline(c)
                       for k, c in enumerate(row)) for row in cells]
    return [".TS", "tab(\t);", formats.replace("l", "lb"), formats + "."] + lines + [".TE"]


def body(lines):
    out, k = [], 0
    while k < len(lines):
        line = lines[k]
        if line.startswith("### "):
            out.append(".SS %s" % inline(line[4:]))
            k += 1
        elif line.startswith("```"):
            end = lines.index("```", k + 1)
            out += [".PP", ".RS 4", ".nf"] + [escape(c) for c in lines[k + 1:end]] + [".fi", ".RE"]
            k = end + 1
        elif line.startswith("|"):
            end = next((j for j in range(k, len(lines)) if not lines[j].startswith("|")),
                       len(lines))
            out += [".PP"] + table(lines[k:end])
            k = end
        elif line.startswith("- "):
            item = [line[2:]]
            k += 1
            while k < len(lines) and lines[k].startswith("  ") and lines[k].strip():
                item.append(lines[k].strip())
                k += 1
            out += [".IP \\(bu 2", inline(" ".join(item))]
        elif not line.strip() or re.fullmatch(r"!\[.*\]\(.*\)", line.strip()):
            k += 1
        else:
            para = []
            while k < len(lines) and lines[k].strip() and not lines[k].startswith(
                    ("```", "|", "- ", "### ", "![")):
                para.append(lines[k].strip())
                k += 1
            out += [".PP", inline(" ".join(para))]
    return out


def manual(readme, version, epoch):
    commands, before, after = synopsis(section(readme))
    cut = next((k for k, line in enumerate(after) if line.startswith("### ")), len(after))
    date = time.strftime("%Y-%m-%d", time.gmtime(epoch))
    out = ["'\\\" t", '.TH PELMO\\-DECK 1 "%s" "pelmo\\-deck %s" "User Commands"' % (date, version),
           ".SH NAME", "pelmo\\-deck \\- %s" % escape(SUMMARY), ".SH SYNOPSIS", ".nf"]
    out += [escape(line) for line in commands] + [".fi", ".SH DESCRIPTION"]
    out += body(before + after[:cut]) + [".SH COMMANDS"] + body(after[cut:])
    return "\n".join(out) + "\n"


def check(readme, program):
    lines = section(readme)
    listed = synopsis(lines)[0]
    help_text = subprocess.run([program, "help"], capture_output=True, text=True,
                               check=True).stdout
    given = ["pelmo-deck " + line[2:] for line in help_text.split("\n")
             if line.startswith("  ") and line[2:3] != " "]
    problems = []
    if listed != given:
        problems.append("the README's synopsis differs from the help:\n  README: %s\n  help:   %s"
                        % ("\n          ".join(listed), "\n          ".join(given)))
    headings = {line[4:] for line in lines if line.startswith("### ")}
    for line in given:
        name = line.split()[1]
        if name not in ("help", "version") and name not in headings:
            problems.append("the README has no \"### %s\" section" % name)
    if problems:
        raise ManualError("\n".join(problems))


def main(argv):
    try:
        if len(argv) == 5 and argv[1] == "page":
            epoch = int(os.environ.get("SOURCE_DATE_EPOCH") or time.time())
            with open(argv[2], encoding="utf-8") as f:
                text = manual(f.read(), argv[3], epoch).encode("utf-8")
            if argv[4].endswith(".gz"):
                text = gzip.compress(text, compresslevel=9, mtime=0)
            write_if_changed(argv[4], text)
        elif len(argv) == 4 and argv[1] == "check":
            with open(argv[2], encoding="utf-8") as f:
                check(f.read(), argv[3])
        else:
            print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
            return 2
    except (ManualError, OSError, subprocess.CalledProcessError) as e:
        print("manpage.py: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
