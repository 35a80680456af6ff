"""The format table, plugin/manual/formats.tsv: which D3DFORMAT numbers a command accepts for a use.

    use<TAB>name<TAB>number<TAB>note
    render-target	A8R8G8B8	21	32-bit colour with alpha

One line per (use, format); the first line is the header. A command's `formats:` line names uses,
and its page lists their formats. The file may be absent while no command names a use.
"""
import os
from dataclasses import dataclass

FILE_NAME = "formats.tsv"


@dataclass
class Format:
    name: str
    number: int
    note: str


def read_formats(spine_dir):
    """({use: [Format]}, [problem]) from spine_dir/formats.tsv; ({}, []) when there is none."""
    path = os.path.join(spine_dir, FILE_NAME)
    uses, problems = {}, []
    if not os.path.exists(path):
        return uses, problems
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for number, line in enumerate(lines, 1):
        if not line.strip() or (number == 1 and line.startswith("use\t")):
            continue
        fields = line.split("\t")
        if len(fields) not in (3, 4) or not fields[2].strip().isdigit():
            problems.append(f"{path}:{number}: expected use, name, number and note separated by tabs: {line!r}")
            continue
        note = fields[3].strip() if len(fields) == 4 else ""
        uses.setdefault(fields[0].strip(), []).append(Format(fields[1].strip(), int(fields[2]), note))
    return uses, problems
