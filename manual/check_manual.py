"""Checks the generated command reference against the rows and the texts and sources it was made
from: every row has its page (its overload anchor, and its row text in the page's footer line) and
its keyword; every command has a description, a meaning for each parameter and its result, a see
also naming commands of the table, an example, and a format table for each format use; every
message the sources can show (found by message_scan, whose every ShowMessage call must be followed
to a literal text and reached by a command or callback) is on the page of each command that can
show it, with a remedy from its family's `# Messages` section, where no stale entry may stay; the
messages shown while the plugin loads are on loading.html with theirs; every family has a guide
with its picture; and Writing effects names exactly the semantics of its table that the shipped
effect files use. The script blocks themselves (every example, every guide's and the language page's)
are parsed and bound against the built DLL's table by the reference host's script runner, in
script_runner_dll_tests.

Usage: check_manual.py SPINE_DIR SOURCE_ROOT REFERENCE_DIR FAMILY...
Prints 'N passed, N failed' and exits non-zero on any failure.
"""
import html
import os
import re
import sys

from command_rows import read_callbacks, read_rows
from descriptions import read_descriptions
from effects_page import linking_commands, read_effects_text
from language_page import PAGE as LANGUAGE_PAGE, read_language_text
from formats import read_formats
from generate_manual import LOADING_TEXT, read_loading_text
from guides import read_effect_files, read_guides
from loading_messages import loading_messages
from manual_checks import (check_format_uses, check_formats, check_guides, check_meanings, check_remedies,
                           check_see_also)
from message_scan import Scan, family_sources
from page_html import page_name

failures = []
passed = 0


def check(condition, what):
    global passed
    if condition:
        passed += 1
    else:
        failures.append(what)


def check_all(found):
    """Counts a list of failures from manual_checks: one pass when it is empty."""
    global passed
    if found:
        failures.extend(found)
    else:
        passed += 1


def visible_text(page):
    """The page as a reader sees it: tags dropped, entities decoded, spaces collapsed."""
    inline = re.sub(r"</?(?:var|code|a)\b[^>]*>", "", page)
    return " ".join(html.unescape(re.sub(r"<[^>]+>", " ", inline)).split())


def shown(text, visible):
    """Whether a message text appears, each printf placeholder standing for some value."""
    pieces = re.split(r"%[-+ #0-9.]*(?:l|ll|h)?[diuxXsgfc]", text)
    pattern = r"\S+".join(re.escape(re.sub(r"\s+", " ", p)) for p in pieces)
    return re.search(pattern, visible) is not None


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def main(spine_dir, source_root, reference_dir, family_dirs):
    rows = read_rows(source_root, family_dirs)
    families = list(dict.fromkeys(r.family for r in rows))
    descriptions = read_descriptions(source_root, families)
    guides = read_guides(source_root, family_dirs)
    formats, format_problems = read_formats(spine_dir)
    check_all(format_problems)
    keywords = read(os.path.join(reference_dir, "ryxo_keywords.txt")).split("\n")[:-1]
    names = list(dict.fromkeys(r.name for r in rows))
    check(keywords == names, f"keywords: expected the {len(names)} command names in row order, saw {len(keywords)}")

    files = family_sources(source_root, family_dirs)
    scan = Scan(files)

    pages = {}
    shown_by_family = {f: set() for f in families}
    for row in rows:
        path = os.path.join(reference_dir, "commands", page_name(row.name))
        check(os.path.exists(path), f"row {row.id}: no page {path}")
        if not os.path.exists(path):
            continue
        page = pages.setdefault(row.name, read(path))
        visible = visible_text(page)
        footer = visible_text(page[page.find("<footer>"):])
        check(f'id="{row.export}"' in page and row.text in footer,
              f"row {row.id}: its overload is not on its page, or its row text not in the page's footer")
        for title, body in scan.messages_of(row.export):
            shown_by_family[row.family].add(body)
            check(shown(title, visible) and shown(body, visible),
                  f"row {row.id}: message ({title!r}, {body!r}) is not on the page of {row.name}")

    for name in names:
        overloads = [r for r in rows if r.name == name]
        family = descriptions.get(overloads[0].family)
        text = family.commands.get(name) if family else None
        check(text is not None and text.text and text.example, f"{name}: no description or example")
        check_all(check_meanings(name, overloads, text))
        check_all(check_see_also(name, text, names))
        check_all(check_formats(name, text, formats))
        check_all(check_format_uses(name, overloads, text))
        page = pages.get(name, "")
        for other in (text.see_also if text else []):
            check(f'href="{page_name(other)}"' in page, f"{name}: its page does not link {other}")
        if overloads[0].family in guides:
            check(f'href="../guides/{overloads[0].family}.html"' in page, f"{name}: its page does not link its guide")

    index_page = read(os.path.join(reference_dir, "index.html"))
    index = visible_text(index_page)
    for family, exports in read_callbacks(source_root, family_dirs).items():
        for export in exports:
            for title, body in scan.messages_of(export):
                shown_by_family.setdefault(family, set()).add(body)
                check(shown(body, index), f"{export}: message ({title!r}, {body!r}) is not on the index")
    for family in families:
        if family in descriptions:
            check_all(check_remedies(descriptions[family], shown_by_family[family]))

    # The messages shown while the plugin loads: their page, their remedies, the index's link.
    loading, loading_problems = loading_messages(source_root)
    check_all(loading_problems)
    loading_text = read_loading_text(spine_dir)
    check(loading_text is not None, f"{os.path.join(spine_dir, LOADING_TEXT)}: missing (the loading messages' remedies)")
    if loading_text:
        check_all(check_remedies(loading_text, [text for _, text in loading]))
    loading_page = visible_text(read(os.path.join(reference_dir, "loading.html")))
    for title, text in loading:
        check(shown(title, loading_page) and shown(text, loading_page), f"loading.html: message {text!r} is not shown")
    check('href="loading.html"' in index_page, "index.html: no link to loading.html")

    # The guides: one per family, with its picture, linked from the index.
    check_all(check_guides(guides, families, os.path.join(source_root, "docs")))
    for family, guide in guides.items():
        check(os.path.exists(os.path.join(reference_dir, "guides", family + ".html")), f"guides/{family}.html: missing")
        if guide.picture:
            check(os.path.exists(os.path.join(reference_dir, "pictures", guide.picture)),
                  f"pictures/{guide.picture}: not copied into the reference")
        check(f'href="guides/{family}.html"' in index_page, f"index.html: no link to guides/{family}.html")
        # Each guide shows the effect file its scene draws with, in full, from the effects/ folder.
        shown_files = read_effect_files({family: guide}, source_root)
        check(guide.effect_files() and all(f in shown_files for f in guide.effect_files()),
              f"{guide.path}: no 'effect:' line naming a file of effects/")

    # Writing effects: its text and tables read, the pages its `linked from:` names link to it, as do
    # the index and every guide.
    effects_text, effect_tables = read_effects_text(spine_dir)
    linked = linking_commands(effects_text, names)
    check_all(effects_text.problems)
    # The semantics the page says the shipped effect files use are exactly the table's they use.
    contract = effect_tables.get("effect_contract.tsv", [])
    table_semantics = {row[2] for row in contract[1:] if len(row) > 2 and row[2]}
    effects_dir = os.path.join(source_root, "effects")
    shipped = {m for name in os.listdir(effects_dir) if name.endswith(".fx")
               for m in re.findall(r":\s*([A-Z][A-Z0-9_]*)\b", read(os.path.join(effects_dir, name)))}
    said = re.search(r"use only these of the semantics: ([^.]*)\.",
                     " ".join(read(os.path.join(spine_dir, "writing_effects.md")).split()))
    check(said and set(re.findall(r"[A-Z][A-Z0-9_]+", said.group(1))) == table_semantics & shipped,
          f"writing_effects.md: the semantics it says effects/ uses are not {sorted(table_semantics & shipped)}")
    check(os.path.exists(os.path.join(reference_dir, "effects.html")), "effects.html: missing")
    check('href="effects.html"' in index_page, "index.html: no link to effects.html")
    for name in sorted(linked):
        check('href="../effects.html"' in pages.get(name, ""), f"{name}: its page does not link effects.html")
    for family in guides:
        guide_page = read(os.path.join(reference_dir, "guides", family + ".html"))
        check('href="../effects.html"' in guide_page, f"guides/{family}.html: no link to effects.html")

    # The script language: its page made and linked from the index.
    language = read_language_text(spine_dir)
    check_all(language.problems)
    check(os.path.exists(os.path.join(reference_dir, LANGUAGE_PAGE)), f"{LANGUAGE_PAGE}: missing")
    check(f'href="{LANGUAGE_PAGE}"' in index_page, f"index.html: no link to {LANGUAGE_PAGE}")

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
