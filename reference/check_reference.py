"""Checks the generated command reference against the rows and the sources it was made from:
every row has its page (with its row text, syntax and overload) and its keyword, every command has
a description with a name for each parameter and an example, and every message the sources can
show (found by message_scan, whose every ShowMessage call must be followed to a literal text and
reached by a command or callback) is on the page of each command that can show it.

Usage: check_reference.py ROWS_DIR SOURCE_ROOT REFERENCE_DIR FAMILY_DIR...
Prints 'N passed, N failed' and exits non-zero on any failure.
"""
import html
import os
import re
import sys

from command_rows import read_callbacks, read_rows
from descriptions import read_descriptions
from generate_reference import page_name
from message_scan import Scan

failures = []
passed = 0


def check(condition, what):
    global passed
    if condition:
        passed += 1
    else:
        failures.append(what)


def visible_text(page):
    """The page as a reader sees it: tags dropped, entities decoded, spaces collapsed."""
    inline = re.sub(r"</?(?:var|code|a)\b[^>]*>", "", page)
    return " ".join(html.unescape(re.sub(r"<[^>]+>", " ", inline)).split())


def shown(text, visible):
    """Whether a message text appears, each printf placeholder standing for some value."""
    pieces = re.split(r"%[-+ #0-9.]*(?:l|ll|h)?[diuxXsgfc]", text)
    pattern = r"\S+".join(re.escape(re.sub(r"\s+", " ", p)) for p in pieces)
    return re.search(pattern, visible) is not None


def main(rows_dir, source_root, reference_dir, family_dirs):
    rows = read_rows(rows_dir)
    descriptions = read_descriptions(rows_dir)
    keywords = open(os.path.join(reference_dir, "ryxo_keywords.txt"), encoding="utf-8").read().split("\n")[:-1]
    names = list(dict.fromkeys(r.name for r in rows))
    check(keywords == names, f"keywords: expected the {len(names)} command names in row order, saw {len(keywords)}")

    files = []
    for folder in family_dirs:
        path = os.path.join(source_root, folder)
        for name in sorted(os.listdir(path)) if os.path.isdir(path) else []:
            if name.endswith((".cpp", ".h")):
                files.append((f"{folder}/{name}", open(os.path.join(path, name), encoding="utf-8").read()))
    scan = Scan(files)

    pages = {}
    for row in rows:
        path = os.path.join(reference_dir, "commands", page_name(row.name))
        check(os.path.exists(path), f"row {row.id}: no page {path}")
        if not os.path.exists(path):
            continue
        page = pages.setdefault(row.name, open(path, encoding="utf-8").read())
        visible = visible_text(page)
        check(f'id="{row.export}"' in page and row.text in visible, f"row {row.id}: its overload is not on its page")
        family = descriptions.get(row.family)
        text = family.commands.get(row.name) if family else None
        check(text is not None and text.text and text.example, f"row {row.id}: {row.name} has no description or example")
        params = text.parameter_names(row.export) if text else None
        check(params is not None and len(params) == len(row.params),
              f"row {row.id}: {row.export} needs {len(row.params)} parameter names, has {params}")
        for title, body in scan.messages_of(row.export):
            check(shown(title, visible) and shown(body, visible),
                  f"row {row.id}: message ({title!r}, {body!r}) is not on the page of {row.name}")

    index = visible_text(open(os.path.join(reference_dir, "index.html"), encoding="utf-8").read())
    for family, exports in read_callbacks(rows_dir).items():
        for export in exports:
            for title, body in scan.messages_of(export):
                check(shown(body, index), f"{export}: message ({title!r}, {body!r}) is not on the index")

    # The scanner must have followed every message box call in the sources.
    for path, text in files:
        code = re.sub(r"//[^\n]*|/\*.*?\*/", lambda c: "\n" * c.group().count("\n"), text, flags=re.S)
        for m in re.finditer(r"\bShowMessage\s*\(", code):
            site = f"{path}:{code.count(chr(10), 0, m.start()) + 1}"
            check(site in scan.reached, f"{site}: a ShowMessage no command or callback was found to reach")
    for site, reason in sorted(set(scan.unresolved)):
        check(False, f"{site}: message text not followed to a literal ({reason})")

    for f in failures:
        print("FAILED:", f)
    print(f"{passed} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]))
