"""The command rows of each family (<family>/commands.rows, `<id> <row> on-failure:<0 or 1>`) and
its render callbacks (<family>/render.callbacks)."""
import os
import re
from dataclasses import dataclass

LINE = re.compile(r"^([0-9]+) (.+) on-failure:[01]$")
ROW = re.compile(r"^([A-Za-z_][A-Za-z0-9_ ]*)(\[?)%(0|[LFS]+)%([A-Za-z_][A-Za-z0-9_]*)%$")


@dataclass
class Row:
    id: int
    text: str        # the string-table entry, byte for byte
    name: str        # the command as scripts write it
    returns: str     # the result's type letter, "" for none
    params: str      # the parameters' type letters, "" for none
    export: str
    family: str      # the family's folder: effect, instancing, ...


def read_rows(source_root, families):
    rows = []
    for family in families:
        path = os.path.join(source_root, family, "commands.rows")
        for line in open(path, encoding="ascii"):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            line_match = LINE.match(line)
            m = ROW.match(line_match.group(2)) if line_match else None
            if not m:
                raise ValueError(f"{path}: malformed row {line}")
            number, text = line_match.groups()
            letters = "" if m.group(3) == "0" else m.group(3)
            returns = letters[:1] if m.group(2) else ""
            params = letters[1:] if m.group(2) else letters
            rows.append(Row(int(number), text, m.group(1), returns, params, m.group(4), family))
    return sorted(rows, key=lambda r: r.id)


def read_callbacks(source_root, families):
    """{family: [export, ...]} for exports the host calls while it renders."""
    callbacks = {}
    for family in families:
        path = os.path.join(source_root, family, "render.callbacks")
        for line in open(path, encoding="ascii") if os.path.exists(path) else []:
            line = line.strip()
            if line and not line.startswith("#"):
                callbacks.setdefault(family, []).append(line)
    return callbacks
