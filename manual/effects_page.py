"""The page on writing effects for Ryxo, effects.html: what each kind of draw hands the object's
effect. Its text is plugin/manual/writing_effects.md (the guides' form, without a picture, with a
`linked from:` line naming the command pages that link to it and `table:` lines naming tables
beside it, such as effect_contract.tsv, which a DLL test proves row by row)."""
import fnmatch
import os

from guide_page import EFFECTS_PAGE, blocks_html
from guides import read_guide
from page_html import esc, wrap

TEXT = "writing_effects.md"


def read_effects_text(spine_dir):
    """The page's text and its tables ({file: rows of cells}); problems in the text's `problems`."""
    text = read_guide(os.path.join(spine_dir, TEXT), needs_picture=False)
    tables = {}
    for block in text.blocks:
        if block.kind != "table":
            continue
        path = os.path.join(spine_dir, block.lines[0])
        if not os.path.isfile(path):
            text.problems.append(f"{text.path}:{block.line}: no table {block.lines[0]} beside it")
            continue
        with open(path, encoding="utf-8") as f:
            tables[block.lines[0]] = [line.split("\t") for line in f.read().splitlines() if line]
    return text, tables


def linking_commands(text, names):
    """The command names whose pages link to the page; a pattern naming no command is a problem."""
    linked = set()
    for pattern in text.linked_from:
        matched = fnmatch.filter(names, pattern)
        if not matched:
            text.problems.append(f"{text.path}: 'linked from:' names {pattern!r}, which is no command")
        linked.update(matched)
    return linked


def effects_page(text, tables, linker):
    body = f"<h1>{esc(text.title)}</h1>\n" + blocks_html(text.blocks, linker, tables)
    return wrap(text.title, body, 0)


def effects_link(depth):
    return f"<a href=\"{'../' * depth}{EFFECTS_PAGE}\">Writing effects for Ryxo</a>"
