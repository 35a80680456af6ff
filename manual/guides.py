"""The getting-started guides, one per family: <family>/guide.md

    # Title of the guide
    picture: instancing_field.png       (a file in docs/, shown under the title)
    table: effect_contract.tsv          (a tab-separated table in plugin/manual/, shown as it stands)
    effect: instancing_field.fx         (a file of the effects/ folder, shown in full where the line is)
    Paragraphs.
    ## Section heading
    ### Smaller heading
    Paragraphs; `code` spans, **bold**; list items starting with "- " (continued on the lines that
    follow until a blank line).
        script lines: a block indented four spaces; blank lines inside a block are kept

Any line indented four spaces or more belongs to a script block, also directly after a paragraph or a
list item; the script runner (refhost/script/) reads every such block.
"""
import os
from dataclasses import dataclass, field


@dataclass
class Block:
    kind: str          # "heading", "subheading", "paragraph", "item" or "script"
    lines: list        # the text lines (script lines without their four-space indent)
    line: int          # line number of the first line in the guide's file


@dataclass
class Guide:
    family: str
    path: str
    title: str = ""
    picture: str = ""
    linked_from: list = field(default_factory=list)  # command names, a trailing * for a prefix
    blocks: list = field(default_factory=list)
    problems: list = field(default_factory=list)

    def scripts(self):
        return [b for b in self.blocks if b.kind == "script"]

    def effect_files(self):
        return [b.lines[0] for b in self.blocks if b.kind == "effect"]


def read_guide(path, needs_picture=True, family=None):
    guide = Guide(family or os.path.splitext(os.path.basename(path))[0], path)
    current = None
    pending_blank = 0  # blank lines seen inside a script block, kept if the block goes on
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for number, raw in enumerate(lines, 1):
        line = raw.rstrip()
        if line.startswith("    ") or line.startswith("\t"):
            script = line[4:] if line.startswith("    ") else line[1:]
            if current is not None and current.kind == "script":
                current.lines += [""] * pending_blank + [script]
            else:
                current = Block("script", [script], number)
                guide.blocks.append(current)
            pending_blank = 0
            continue
        if not line.strip():
            if current is not None and current.kind == "script":
                pending_blank += 1
            else:
                current = None
            continue
        pending_blank = 0
        if line.startswith("```"):
            guide.problems.append(f"{path}:{number}: a fenced block: indent script lines four spaces instead, "
                                  "so the script runner reads them")
            continue
        if line.startswith("### "):
            guide.blocks.append(Block("subheading", [line[4:].strip()], number))
            current = None
        elif line.startswith("## "):
            guide.blocks.append(Block("heading", [line[3:].strip()], number))
            current = None
        elif line.startswith("# "):
            if guide.title:
                guide.problems.append(f"{path}:{number}: a second title {line!r} (sections start with '## ')")
            guide.title = line[2:].strip()
            current = None
        elif line.startswith("picture:") and not guide.picture:
            guide.picture = line.split(":", 1)[1].strip()
            current = None
        elif line.startswith("linked from:") and not guide.linked_from:
            guide.linked_from = [name.strip() for name in line.split(":", 1)[1].split(",") if name.strip()]
            current = None
        elif line.startswith("table:") or line.startswith("effect:"):
            kind, name = line.split(":", 1)
            guide.blocks.append(Block(kind, [name.strip()], number))
            current = None
        elif line.startswith("- "):
            current = Block("item", [line[2:].strip()], number)
            guide.blocks.append(current)
        elif current is not None and current.kind in ("paragraph", "item"):
            current.lines.append(line.strip())
        else:
            current = Block("paragraph", [line.strip()], number)
            guide.blocks.append(current)
    if not guide.title:
        guide.problems.append(f"{path}: no '# Title' line")
    if needs_picture and not guide.picture:
        guide.problems.append(f"{path}: no 'picture:' line")
    return guide


def read_effect_files(guides, source_root):
    """{file: text} of every effect file the guides show, from the effects/ folder; a missing one
    is left out (the manual's check names it)."""
    texts = {}
    for guide in guides.values():
        for name in guide.effect_files():
            path = os.path.join(source_root, "effects", name)
            if os.path.isfile(path):
                with open(path, encoding="utf-8") as f:
                    texts[name] = f.read()
    return texts


def read_guides(source_root, families):
    """{family: Guide} for each of the families with a guide.md in its folder."""
    paths = {f: os.path.join(source_root, f, "guide.md") for f in sorted(families)}
    return {f: read_guide(p, family=f) for f, p in paths.items() if os.path.exists(p)}
