"""The game maker's text for each family, kept beside its rows as plugin/commands/<family>.md:

    # Family title
    What the family is for (one or more paragraphs).

    ## Command name
    What the command does (one or more paragraphs).
    params: name, name            (every row of the command)
    params Export: name, name     (one row, by its export, for overloads that differ)
    result: name
    example:
        indented script lines
"""
import glob
import os
from dataclasses import dataclass, field


@dataclass
class CommandText:
    name: str
    text: list = field(default_factory=list)      # paragraphs
    params: dict = field(default_factory=dict)    # export or "" -> [names]
    result: str = ""
    example: list = field(default_factory=list)

    def parameter_names(self, export):
        if not self.params:
            return []  # a command without parameters
        return self.params.get(export, self.params.get(""))


@dataclass
class FamilyText:
    family: str
    title: str = ""
    intro: list = field(default_factory=list)
    commands: dict = field(default_factory=dict)


def _paragraphs(lines):
    paragraphs, current = [], []
    for line in lines + [""]:
        if line.strip():
            current.append(line.strip())
        elif current:
            paragraphs.append(" ".join(current))
            current = []
    return paragraphs


def read_family(path):
    family = FamilyText(os.path.splitext(os.path.basename(path))[0])
    command, loose, in_example = None, [], False

    def close():
        if command is None:
            family.intro = _paragraphs(loose)
        else:
            command.text = _paragraphs(loose)

    for raw in open(path, encoding="utf-8"):
        line = raw.rstrip("\n")
        if in_example and (line.startswith("    ") or not line.strip()):
            command.example.append(line[4:])
            continue
        in_example = False
        if line.startswith("## "):
            close()
            command = CommandText(line[3:].strip())
            family.commands[command.name] = command
            loose = []
        elif line.startswith("# "):
            family.title = line[2:].strip()
        elif command is not None and line.startswith("params") and ":" in line:
            key, names = line.split(":", 1)
            export = key[len("params"):].strip()
            command.params[export] = [n.strip() for n in names.split(",") if n.strip()]
        elif command is not None and line.startswith("result:"):
            command.result = line.split(":", 1)[1].strip()
        elif command is not None and line.strip() == "example:":
            in_example = True
        else:
            loose.append(line)
    close()
    if command is not None:
        while command.example and not command.example[-1].strip():
            command.example.pop()
    for c in family.commands.values():
        while c.example and not c.example[-1].strip():
            c.example.pop()
    return family


def read_descriptions(rows_dir):
    paths = [p for p in sorted(glob.glob(os.path.join(rows_dir, "*.md"))) if os.path.basename(p) != "README.md"]
    return {f.family: f for f in map(read_family, paths)}
