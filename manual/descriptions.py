"""The game maker's text for each family, kept beside its rows as <family>/manual.md:

    # Family title
    What the family is for, its defaults and lifetimes (one or more paragraphs).
    requires: what the graphics card must allow for the family's commands (every page shows it)

    ## Command name
    What the command does (one or more paragraphs).
    params: name, name            (every row of the command)
    params Export: name, name     (one row, by its export, for overloads that differ)
    - name: what the parameter is: unit, valid range, what 0 or -1 means, which command gives
      the handle (a meaning continues on lines indented by two or more spaces)
    result: name                  (only for commands with a result)
    - name: what the result is
    formats: use, use             (a "use" of plugin/manual/formats.tsv: the page lists its formats)
    requires: what the card must allow for this command, in place of the family's line
    see also: Command, Command    (commands of the table a script needs together with this one)
    example:
        indented script lines (four spaces)

    # Messages
    message: a message text exactly as in the C++ source (%d, %s ... as written)
    do: what the game maker should change or check (continues on lines indented two or more spaces)

Every parameter name of every overload and the result name need one meaning (overloads share it).
The `# Messages` section follows the last command: one `message:`/`do:` pair for each text a
command or render callback of the family can show. plugin/manual/loading.md has the same form
(a title, paragraphs and a `# Messages` section) for the messages shown while the plugin loads.

Every field (params, a meaning, formats, see also, do) continues on the lines after it indented by
two or more spaces. Lines the reader cannot place (an indented line after no field, a `do:` with no
`message:` before it, a second meaning for a name, stray text in the messages section) are kept in FamilyText.problems for the check to report.
"""
import os
import re
from dataclasses import dataclass, field

_MEANING = re.compile(r"^- ([A-Za-z_][A-Za-z0-9_]*):\s*(.*)$")


@dataclass
class CommandText:
    name: str
    text: list = field(default_factory=list)      # paragraphs
    params: dict = field(default_factory=dict)    # export or "" -> [names]
    result: str = ""
    meanings: dict = field(default_factory=dict)  # parameter or result name -> meaning
    formats: list = field(default_factory=list)   # uses of formats.tsv
    see_also: list = field(default_factory=list)  # command names
    example: list = field(default_factory=list)
    requires: str = ""                            # what the card must allow, when not the family's

    def parameter_names(self, export):
        if not self.params:
            return []  # a command without parameters
        return self.params.get(export, self.params.get(""))


@dataclass
class FamilyText:
    family: str
    path: str = ""
    title: str = ""
    intro: list = field(default_factory=list)
    requires: str = ""                            # what the card must allow for the family's commands
    commands: dict = field(default_factory=dict)
    remedies: dict = field(default_factory=dict)  # message text -> what to do ("" when missing)
    problems: list = field(default_factory=list)  # "path:line: what is wrong"


def _paragraphs(lines):
    paragraphs, current = [], []
    for line in lines + [""]:
        if line.strip():
            current.append(line.strip())
        elif current:
            paragraphs.append(" ".join(current))
            current = []
    return paragraphs


def _names(text):
    return [n.strip() for n in text.split(",") if n.strip()]


def _is_continuation(line):
    return line.startswith("  ") and line.strip() != ""


def _list_continues(names, first):
    """Adds the names on a field's line to its list; returns what adds those of its continuations."""
    names += _names(first)
    return lambda more: names.extend(_names(more))


def _attribute_continues(holder, name):
    def add(more):
        setattr(holder, name, (getattr(holder, name) + " " + more).strip())
    return add


def _text_continues(texts, key):
    def add(more):
        texts[key] = (texts[key] + " " + more).strip()
    return add


def read_family(path, family_name=None):
    family = FamilyText(family_name or os.path.splitext(os.path.basename(path))[0], path)
    command, loose, in_example, in_messages = None, [], False, False
    continued = None  # adds an indented line to the field it continues (a meaning, a list, a remedy)
    message = None

    def close():
        if command is None:
            family.intro = _paragraphs(loose)
        else:
            command.text = _paragraphs(loose)

    def problem(number, what):
        family.problems.append(f"{path}:{number}: {what}")

    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for number, raw in enumerate(lines, 1):
        line = raw.rstrip()
        if in_example and (line.startswith("    ") or not line.strip()):
            command.example.append(line[4:])
            continue
        in_example = False
        if _is_continuation(line):
            if continued:
                continued(line.strip())
            else:
                problem(number, f"an indented line that continues no field: {line.strip()!r}")
            continue
        continued = None
        if line.startswith("# ") and (family.title or command is not None):
            if line[2:].strip() != "Messages":
                problem(number, f"unexpected heading {line!r} (only '# Messages' may follow the title)")
            close()
            command, loose, in_messages = None, [], True
            continue
        if in_messages:
            if line.startswith("message:"):
                message = " ".join(line[len("message:"):].split())
                if message in family.remedies:
                    problem(number, f"second entry for message {message!r}")
                family.remedies[message] = ""
            elif line.startswith("do:"):
                if message is None:
                    problem(number, "'do:' without a 'message:' before it")
                    continue
                if family.remedies[message]:
                    problem(number, f"second 'do:' for message {message!r}")
                family.remedies[message] = line[len("do:"):].strip()
                continued = _text_continues(family.remedies, message)
            elif line.strip():
                problem(number, f"not a 'message:' or 'do:' line: {line.strip()!r}")
            continue
        if line.startswith("## "):
            close()
            command = CommandText(line[3:].strip())
            if command.name in family.commands:
                problem(number, f"second description of {command.name}")
            family.commands[command.name] = command
            loose = []
        elif line.startswith("# "):
            family.title = line[2:].strip()
        elif line.startswith("requires:"):
            holder = family if command is None else command
            holder.requires = line.split(":", 1)[1].strip()
            continued = _attribute_continues(holder, "requires")
        elif command is None:
            loose.append(line)
        elif line.startswith("params") and ":" in line and re.match(r"^params( \w+)?:", line):
            key, names = line.split(":", 1)
            listed = command.params.setdefault(key[len("params"):].strip(), [])
            continued = _list_continues(listed, names)
        elif line.startswith("result:"):
            command.result = line.split(":", 1)[1].strip()
        elif line.startswith("see also:"):
            continued = _list_continues(command.see_also, line.split(":", 1)[1])
        elif line.startswith("formats:"):
            continued = _list_continues(command.formats, line.split(":", 1)[1])
        elif _MEANING.match(line):
            name, meaning = _MEANING.match(line).groups()
            if name in command.meanings:
                problem(number, f"{command.name}: second meaning for {name}")
            command.meanings[name] = meaning.strip()
            continued = _text_continues(command.meanings, name)
        elif line.strip() == "example:":
            in_example = True
        else:
            loose.append(line)
    if not in_messages:
        close()
    for c in family.commands.values():
        while c.example and not c.example[-1].strip():
            c.example.pop()
    return family


def read_descriptions(source_root, families):
    """{family: FamilyText} for each of the families with a manual.md in its folder."""
    paths = {f: os.path.join(source_root, f, "manual.md") for f in families}
    return {f: read_family(p, f) for f, p in paths.items() if os.path.exists(p)}
