#!/usr/bin/env python3
"""Helper of tools/mutants.sh: reads tools/mutants.txt, finds a mutation's place and applies it, and
picks the tests a rebuild touched.

  mutate.py list LISTFILE                  the IDs, one a line
  mutate.py describe LISTFILE ID           "FILE: SNIPPET ==> REPLACEMENT" as written in the list
  mutate.py apply LISTFILE ID SEED SAVEDIR mutates the file in place, first saving its path and text as
                                           SAVEDIR/path and SAVEDIR/original; prints "PATH LINE", or
                                           nothing when the snippet is nowhere under src/
  mutate.py tests CTESTJSON CHANGEDFILE BINARY
                                           the ctest numbers (comma-separated) of the tests whose
                                           executable is listed in CHANGEDFILE, or that run BINARY
                                           when BINARY is listed there
"""
import json
import os
import random
import re
import sys

SEPARATOR = " ==> "


def read_list(path):
    mutations = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            ident, _, rest = line.partition(" ")
            fname, _, change = rest.partition(": ")
            snippet, sep, replacement = change.partition(SEPARATOR.rstrip())
            if not sep or not fname or not snippet.strip():
                sys.exit(f"mutate.py: {path}:{number}: not ID FILE: SNIPPET ==> REPLACEMENT")
            if ident in mutations:
                sys.exit(f"mutate.py: {path}:{number}: ID {ident} twice")
            mutations[ident] = (fname.strip(), snippet.strip(), replacement.strip(), rest)
    return mutations


def pattern_of(snippet):
    # Any white space (also none, also line breaks) between two characters of the snippet, so a
    # reformatted or re-wrapped line still matches.
    chars = [c for c in snippet if not c.isspace()]
    return re.compile(r"\s*".join(re.escape(c) for c in chars))


def sources(root):
    found = []
    for folder, _, files in os.walk(os.path.join(root, "src")):
        for name in files:
            if name.endswith((".cpp", ".h")):
                found.append(os.path.join(folder, name))
    return sorted(found)


def matches(paths, pattern):
    result = []
    for path in paths:
        with open(path, encoding="utf-8") as f:
            text = f.read()
        result += [(path, m.start(), m.end()) for m in pattern.finditer(text)]
    return result


def apply(list_path, ident, seed, save_dir):
    fname, snippet, replacement, _ = read_list(list_path)[ident]
    root = os.path.dirname(os.path.dirname(os.path.abspath(list_path)))
    pattern = pattern_of(snippet)
    every = sources(root)
    found = matches([p for p in every if os.path.basename(p) == fname], pattern)
    if not found:
        found = matches(every, pattern)
    if not found:
        return
    path, start, end = found[random.Random(f"{seed}:{ident}").randrange(len(found))]
    with open(path, encoding="utf-8") as f:
        text = f.read()
    with open(os.path.join(save_dir, "original"), "w", encoding="utf-8") as f:
        f.write(text)
    with open(os.path.join(save_dir, "path"), "w", encoding="utf-8") as f:
        f.write(path)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text[:start] + replacement + text[end:])
    print(os.path.relpath(path, root), text.count("\n", 0, start) + 1)


def tests(ctest_json, changed_file, binary):
    with open(changed_file, encoding="utf-8") as f:
        changed = {os.path.realpath(line.strip()) for line in f if line.strip()}
    binary = os.path.realpath(binary)
    runs_binary = binary in changed
    with open(ctest_json, encoding="utf-8") as f:
        listed = json.load(f)["tests"]
    numbers = []
    program_runners = {}
    for number, test in enumerate(listed, 1):
        command = test.get("command") or []
        if not command:
            continue
        exe = os.path.realpath(command[0])
        if exe in changed:
            numbers.append(number)
        elif runs_binary:
            if exe not in program_runners:
                with open(exe, "rb") as f:
                    program_runners[exe] = binary.encode() in f.read()
            if program_runners[exe]:
                numbers.append(number)
    print(",".join(map(str, numbers)))


def main(argv):
    if len(argv) == 3 and argv[1] == "list":
        print("\n".join(read_list(argv[2])))
    elif len(argv) == 4 and argv[1] == "describe":
        print(read_list(argv[2])[argv[3]][3])
    elif len(argv) == 6 and argv[1] == "apply":
        apply(argv[2], argv[3], argv[4], argv[5])
    elif len(argv) == 5 and argv[1] == "tests":
        tests(argv[2], argv[3], argv[4])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
