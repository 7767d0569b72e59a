#!/usr/bin/env python3
"""Keeps the folders of src/ layered: every #include "folder/..." must point down, never up.

    app  ->  collect, query, settings  ->  widgets  ->  print -> net -> config -> platform -> core

A folder may include itself and any folder below it. The three screen folders sit side by side and
do not include each other, except where a screen opens another subsystem's dialog (ALLOWED_ACROSS).
Generated forms (ui_*.h) and system headers (<...>) are not folders and are not checked.

Usage: check_includes.py SRC_DIR
"""
import os
import re
import sys

RANKS = {
    "core": 0,
    "platform": 1,
    "config": 2,
    "net": 3,
    "print": 4,
    "widgets": 5,
    "collect": 6,
    "query": 6,
    "settings": 6,
    "app": 7,
}

# Screen folders that may include one another: (from, to) -> why.
ALLOWED_ACROSS = {
    ("query", "collect"): "the query tab opens the room/hand-card dialog for a row",
}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def violations(src):
    found = []
    folders = sorted(d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)))
    for folder in folders:
        if folder not in RANKS:
            found.append(f"{folder}/: a folder of src/ without a place in the layers")
            continue
        for dirpath, _, files in os.walk(os.path.join(src, folder)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, src)
                with open(path, encoding="utf-8") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = match.group(1)
                        if "/" not in target:
                            if not target.startswith("ui_"):
                                found.append(f"{rel}:{number}: \"{target}\" names no folder")
                            continue
                        to = target.split("/", 1)[0]
                        if to not in RANKS:
                            found.append(f"{rel}:{number}: \"{target}\" is in no known folder")
                        elif to == folder:
                            continue
                        elif RANKS[to] > RANKS[folder]:
                            found.append(f"{rel}:{number}: {folder}/ includes {to}/ above it: \"{target}\"")
                        elif RANKS[to] == RANKS[folder] and (folder, to) not in ALLOWED_ACROSS:
                            found.append(f"{rel}:{number}: {folder}/ includes {to}/ beside it: \"{target}\"")
    return found


def self_test():
    """The checker itself: a small tree with one include of each kind must give exactly the faults."""
    import tempfile

    files = {
        "core/Money.h": '#include <QString>\n',
        "net/HttpFun.cpp": '#include "net/HttpFun.h"\n#include "core/Money.h"\n',
        "net/Up.cpp": '#include "widgets/MessageBox.h"\n',
        "collect/FormCS.cpp": '#include "ui_FormCS.h"\n#include "query/FormJiaoYiCX.h"\n',
        "query/FormJiaoYiCX.cpp": '#include "collect/CardDialog.h"\n',
        "app/main.cpp": '#include "collect/FormCS.h"\n#include "Local.h"\n',
    }
    with tempfile.TemporaryDirectory() as src:
        for rel, text in files.items():
            os.makedirs(os.path.join(src, os.path.dirname(rel)), exist_ok=True)
            with open(os.path.join(src, rel), "w", encoding="utf-8") as f:
                f.write(text)
        found = violations(src)
    expected = [
        'app/main.cpp:2: "Local.h" names no folder',
        'collect/FormCS.cpp:2: collect/ includes query/ beside it: "query/FormJiaoYiCX.h"',
        'net/Up.cpp:1: net/ includes widgets/ above it: "widgets/MessageBox.h"',
    ]
    if found != expected:
        sys.exit("check_includes self-test: expected\n  " + "\n  ".join(expected) + "\ngot\n  " + "\n  ".join(found))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    self_test()
    src = sys.argv[1]
    found = violations(src)
    for line in found:
        print(line, file=sys.stderr)
    if found:
        sys.exit(f"check_includes: {len(found)} include(s) break the layers")
    print("check_includes: every include points down")


if __name__ == "__main__":
    main()
