"""Generates the game maker's command reference from the command rows, the family descriptions
beside them, the guides, the format table and the message texts found in the plugin's sources:

    index.html              guides, loading messages, search, every row by family and from A to Z
    commands/<name>.html    one page per command name (see command_page.py)
    guides/<family>.html    the family's getting-started guide (<family>/guide.md)
    effects.html            writing effects for Ryxo: what each kind of draw hands the effect
    script_language.html    the language of every script in the manual
    pictures/<file>         the guides' pictures, copied from docs/
    loading.html            the messages shown while the plugin loads, with what to do
    ryxo_keywords.txt       one command name per line, for script editors
    messages.tsv            export, title, text, source line: what the checks compare pages with

Usage: generate_manual.py SPINE_DIR SOURCE_ROOT OUT_DIR FAMILY...
(SPINE_DIR: plugin/manual; each FAMILY a line of families.txt, its folder in SOURCE_ROOT)
"""
import os
import shutil
import sys

from command_page import command_page
from command_rows import read_callbacks, read_rows
from descriptions import read_descriptions, read_family
from effects_page import effects_page, linking_commands, read_effects_text
from formats import read_formats
from guide_page import guide_page
from guides import read_effect_files, read_guides
from index_page import index_page
from language_page import PAGE as LANGUAGE_PAGE, language_page, read_language_text
from loading_messages import loading_messages
from loading_page import loading_page
from message_scan import Scan, family_sources
from page_html import Linker, page_name

HERE = os.path.dirname(os.path.abspath(__file__))
LOADING_TEXT = "loading.md"


def read_loading_text(spine_dir):
    path = os.path.join(spine_dir, LOADING_TEXT)
    return read_family(path, "loading") if os.path.exists(path) else None


def main(spine_dir, source_root, out_dir, family_dirs):
    rows = read_rows(source_root, family_dirs)
    callbacks = read_callbacks(source_root, family_dirs)
    families = list(dict.fromkeys(r.family for r in rows))
    descriptions = read_descriptions(source_root, families)
    guides = read_guides(source_root, family_dirs)
    effect_files = read_effect_files(guides, source_root)
    formats, _ = read_formats(spine_dir)
    scan = Scan(family_sources(source_root, family_dirs))
    by_name = {}
    for row in rows:
        by_name.setdefault(row.name, []).append(row)

    for folder in ("commands", "guides", "pictures"):
        os.makedirs(os.path.join(out_dir, folder), exist_ok=True)
    shutil.copyfile(os.path.join(HERE, "style.css"), os.path.join(out_dir, "style.css"))
    written = {"commands": set(), "guides": set(), "pictures": set()}

    effects_text, effects_tables = read_effects_text(spine_dir)
    linked_to_effects = linking_commands(effects_text, list(by_name))
    linker = Linker(by_name, 1)
    for name, overloads in by_name.items():
        family = descriptions.get(overloads[0].family)
        text = family.commands.get(name) if family else None
        messages = sorted({m for row in overloads for m in scan.messages_of(row.export)})
        page = command_page(name, overloads, text, family, messages, formats, guides.get(overloads[0].family), linker,
                            name in linked_to_effects)
        write(os.path.join(out_dir, "commands", page_name(name)), page)
        written["commands"].add(page_name(name))

    for family, guide in guides.items():
        title = descriptions[family].title if family in descriptions else family
        write(os.path.join(out_dir, "guides", family + ".html"), guide_page(guide, title, linker, effect_files))
        written["guides"].add(family + ".html")
        picture = os.path.join(source_root, "docs", guide.picture)
        if guide.picture and os.path.isfile(picture):
            shutil.copyfile(picture, os.path.join(out_dir, "pictures", guide.picture))
            written["pictures"].add(guide.picture)

    tsv = ["export\ttitle\ttext\tsite"]
    for row in rows:
        tsv += [f"{row.export}\t{title}\t{body}\t" for title, body in scan.messages_of(row.export)]
    callback_messages = {}
    for family, exports in callbacks.items():
        for export in exports:
            messages = scan.messages_of(export)
            callback_messages.setdefault(family, []).append((export, messages))
            tsv += [f"{export}\t{t}\t{b}\t" for t, b in messages]
    # Pages of commands, guides and pictures that are gone would be stale: remove them.
    for folder, names in written.items():
        for stale in set(os.listdir(os.path.join(out_dir, folder))) - names:
            os.remove(os.path.join(out_dir, folder, stale))

    top = Linker(by_name, 0)
    write(os.path.join(out_dir, "index.html"),
          index_page(families, rows, descriptions, guides, callback_messages, top))
    write(os.path.join(out_dir, "effects.html"), effects_page(effects_text, effects_tables, top))
    write(os.path.join(out_dir, LANGUAGE_PAGE), language_page(read_language_text(spine_dir), top))
    loading, _ = loading_messages(source_root)
    write(os.path.join(out_dir, "loading.html"), loading_page(loading, read_loading_text(spine_dir), top))
    write(os.path.join(out_dir, "ryxo_keywords.txt"), "".join(n + "\n" for n in by_name))
    for site in sorted(scan.sites):
        tsv.append(f"\t\t\t{site}")
    for site, reason in sorted(set(scan.unresolved)):
        tsv.append(f"UNRESOLVED\t\t{reason}\t{site}")
    write(os.path.join(out_dir, "messages.tsv"), "\n".join(tsv) + "\n")
    for site, reason in sorted(set(scan.unresolved)):
        print(f"warning: message at {site} not followed to its text ({reason})", file=sys.stderr)


def write(path, content):
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            if f.read() == content:
                return
    with open(path, "w", encoding="utf-8") as f:
        f.write(content)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:])
