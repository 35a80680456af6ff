"""The command rows of plugin/commands/*.rows and the render callbacks of *.callbacks."""
import glob
import os
import re
from dataclasses import dataclass

ROW = re.compile(r"^([A-Za-z_][A-Za-z0-9_ ]*)(\[?)%(0|[LFS]+)%([A-Za-z_][A-Za-z0-9_]*)%$")


@dataclass
class Row:
    id: int
    text: str        # the string-table entry, byte for byte
    name: str        # the command as scripts write it
    returns: str     # the result's type letter, "" for none
    params: str      # the parameters' type letters, "" for none
    export: str
    family: str      # the rows file's name: effect, instancing, ...


def read_rows(rows_dir):
    rows = []
    for path in sorted(glob.glob(os.path.join(rows_dir, "*.rows"))):
        family = os.path.splitext(os.path.basename(path))[0]
        for line in open(path, encoding="ascii"):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            number, text = line.split(" ", 1)
            m = ROW.match(text)
            if not m:
                raise ValueError(f"{path}: malformed row {line}")
            letters = "" if m.group(3) == "0" else m.group(3)
            returns = letters[:1] if m.group(2) else ""
            params = letters[1:] if m.group(2) else letters
            rows.append(Row(int(number), text, m.group(1), returns, params, m.group(4), family))
    return sorted(rows, key=lambda r: r.id)


def read_callbacks(rows_dir):
    """{family: [export, ...]} for exports the host calls while it renders."""
    callbacks = {}
    for path in sorted(glob.glob(os.path.join(rows_dir, "*.callbacks"))):
        family = os.path.splitext(os.path.basename(path))[0]
        for line in open(path, encoding="ascii"):
            line = line.strip()
            if line and not line.startswith("#"):
                callbacks.setdefault(family, []).append(line)
    return callbacks
