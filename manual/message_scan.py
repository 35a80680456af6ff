"""Finds, in the plugin's C++ sources, every message box text a command can show.

The code is the one place the texts live. This scanner reads the family folders' sources, finds each
function and what it calls, and follows every ShowMessage(title, text) call back to the commands
that reach it: through helper functions (a title or text handed down as an argument), macros such
as GEOINST_ERROR_TITLE("X"), named text constants, char buffers filled by snprintf (the format is
the text; %d and the like stand for values) and `a ? b : c` choices. A ShowMessage whose title or
text it cannot follow to a literal is reported as unresolved, so a test fails rather than a page
silently missing a message.
"""
import os
import re
from dataclasses import dataclass, field

_TOKEN = re.compile(r'''
    (?P<comment>//[^\n]*|/\*.*?\*/)
  | (?P<string>"(?:[^"\\\n]|\\.)*")
  | (?P<char>'(?:[^'\\\n]|\\.)*')
  | (?P<preproc>^[ \t]*\#(?:[^\n\\]|\\\n|\\.)*)
  | (?P<ident>[A-Za-z_]\w*(?:::[A-Za-z_]\w*)*)
  | (?P<number>\d[\w.]*)
  | (?P<op>::|->|[{}()\[\];,?:=<>+\-*/%&|!~^.])
  | (?P<space>\s+)
''', re.S | re.X | re.M)

# Calls that write a formatted text into a char buffer: where their format argument is.
_FORMATTERS = {"snprintf": 2, "_snprintf": 2, "sprintf_s": 2, "sprintf": 1, "wsprintfA": 1}

_CONTROL = {"if", "for", "while", "switch", "catch", "return", "sizeof", "decltype", "static_assert"}


@dataclass
class Token:
    kind: str
    text: str
    line: int


def tokenize(source):
    tokens, line = [], 1
    for m in _TOKEN.finditer(source):
        kind, text = m.lastgroup, m.group()
        if kind not in ("comment", "space"):
            tokens.append(Token(kind, text, line))
        line += text.count("\n")
    return tokens


def literal_value(text):
    body = text[1:-1]
    return bytes(body, "latin-1").decode("unicode_escape")


@dataclass
class Call:
    name: str
    args: list  # token lists, one per argument
    line: int


@dataclass
class Function:
    name: str
    path: str
    params: list
    calls: list = field(default_factory=list)
    buffers: dict = field(default_factory=dict)  # local char buffer -> the format token lists written into it
    locals: dict = field(default_factory=dict)   # local name -> the expressions assigned to it
    is_command: bool = False


@dataclass
class Source:
    functions: list = field(default_factory=list)
    constants: dict = field(default_factory=dict)
    macros: dict = field(default_factory=dict)  # name -> (parameter, body tokens)
    object_macros: dict = field(default_factory=dict)  # name -> body tokens


def _matching(tokens, i, open_, close):
    depth = 0
    for j in range(i, len(tokens)):
        if tokens[j].text == open_:
            depth += 1
        elif tokens[j].text == close:
            depth -= 1
            if depth == 0:
                return j
    return len(tokens) - 1


def _split_args(tokens):
    args, current, depth = [], [], 0
    for t in tokens:
        if t.text in "([{":
            depth += 1
        elif t.text in ")]}":
            depth -= 1
        if t.text == "," and depth == 0:
            args.append(current)
            current = []
        else:
            current.append(t)
    if current:
        args.append(current)
    return args


def _parameter_names(tokens):
    names = []
    for arg in _split_args(tokens):
        idents = [t.text for t in arg if t.kind == "ident" and t.text not in ("const", "int", "float")]
        if "=" in [t.text for t in arg]:
            arg = arg[:[t.text for t in arg].index("=")]
            idents = [t.text for t in arg if t.kind == "ident"]
        names.append(idents[-1] if idents else "")
    return names if names != [""] else []


def parse_source(path, text, source):
    tokens = tokenize(text)
    for t in tokens:
        if t.kind == "preproc":
            m = re.match(r'\s*#\s*define\s+(\w+)\((\w+)\)\s+(.*)', t.text, re.S)
            if m:
                source.macros[m.group(1)] = (m.group(2), tokenize(m.group(3)))
                continue
            m = re.match(r'\s*#\s*define\s+(\w+)[ \t]+(.+)', t.text, re.S)
            if m:
                source.object_macros[m.group(1)] = tokenize(m.group(2))
    code = [t for t in tokens if t.kind != "preproc"]
    # Named text constants anywhere: name [ [] ] = "..." "..." ;
    for i, t in enumerate(code):
        if t.text == "=" and i > 0:
            j = i - 1
            if code[j].text == "]" and j >= 2 and code[j - 1].text == "[":
                j -= 2
            if code[j].kind != "ident":
                continue
            k, parts = i + 1, []
            while k < len(code) and code[k].kind == "string":
                parts.append(literal_value(code[k].text))
                k += 1
            if parts and k < len(code) and code[k].text == ";":
                source.constants[code[j].text] = "".join(parts)
    i = 0
    while i < len(code):
        t = code[i]
        if t.text == "{":
            # A function body: `name ( params ) [const|noexcept|override]* {`
            j = i - 1
            while j >= 0 and code[j].text in ("const", "noexcept", "override", "final"):
                j -= 1
            if j >= 0 and code[j].text == ")":
                depth, k = 0, j
                while k >= 0:
                    if code[k].text == ")":
                        depth += 1
                    elif code[k].text == "(":
                        depth -= 1
                        if depth == 0:
                            break
                    k -= 1
                if k > 0 and code[k - 1].kind == "ident" and code[k - 1].text not in _CONTROL:
                    end = _matching(code, i, "{", "}")
                    name = code[k - 1].text.split("::")[-1]
                    fn = Function(name, path, _parameter_names(code[k + 1:j]))
                    fn.is_command = any(x.text == "RYXO_COMMAND" for x in code[max(0, k - 4):k - 1])
                    _parse_body(code[i + 1:end], fn)
                    source.functions.append(fn)
                    i = end + 1
                    continue
        i += 1


def _parse_body(body, fn):
    for i, t in enumerate(body):
        # name = expression;  (a local such as `const char* title = failed ? "A" : "B";`)
        if (t.text == "=" and 0 < i < len(body) - 1 and body[i - 1].kind == "ident"
                and (i < 2 or body[i - 2].text not in (".", "->"))):
            end = i + 1
            depth = 0
            while end < len(body) and not (body[end].text == ";" and depth == 0):
                depth += body[end].text in "([{"
                depth -= body[end].text in ")]}"
                end += 1
            fn.locals.setdefault(body[i - 1].text, []).append(body[i + 1:end])
        if t.kind == "ident" and i + 1 < len(body) and body[i + 1].text == "(" and t.text not in _CONTROL:
            end = _matching(body, i + 1, "(", ")")
            name = t.text.split("::")[-1]
            args = _split_args(body[i + 2:end])
            fn.calls.append(Call(name, args, t.line))
            format_at = _FORMATTERS.get(name)
            if format_at is not None and len(args) > format_at and len(args[0]) == 1:
                fn.buffers.setdefault(args[0][0].text, []).append(args[format_at])


# ---- Resolution: a message expression becomes a set of alternatives, each a literal text or a
# reference to a parameter of the function it appears in. ----

@dataclass(frozen=True)
class Param:
    index: int


class Unresolved(Exception):
    pass


def _resolve(tokens, fn, source, depth=0):
    """The alternatives an expression can take: a set of str or Param."""
    if depth > 20:
        raise Unresolved("too deep")
    if not tokens:
        raise Unresolved("empty")
    if any(t.text in source.object_macros for t in tokens):
        expanded = []
        for t in tokens:
            expanded.extend(source.object_macros.get(t.text, [t]))
        return _resolve(expanded, fn, source, depth + 1)
    texts = [t.text for t in tokens]
    # a ? b : c
    if "?" in texts:
        q = texts.index("?")
        colon = _top_level_colon(tokens, q)
        return _resolve(tokens[q + 1:colon], fn, source, depth + 1) | _resolve(tokens[colon + 1:], fn, source, depth + 1)
    if all(t.kind == "string" for t in tokens):
        return {"".join(literal_value(t.text) for t in tokens)}
    if tokens[0].kind == "ident" and len(tokens) > 1 and tokens[1].text == "(" and tokens[0].text in source.macros:
        parameter, body = source.macros[tokens[0].text]
        end = _matching(tokens, 1, "(", ")")
        argument = tokens[2:end]
        expanded = []
        for b in body:
            expanded.extend(argument if b.text == parameter else [b])
        return _resolve(expanded, fn, source, depth + 1)
    if len(tokens) == 1 and tokens[0].kind == "ident":
        name = tokens[0].text
        if name in fn.params:
            return {Param(fn.params.index(name))}
        if name in fn.buffers:
            # Every format written into the buffer anywhere in the function: a little too much
            # at worst, never too little.
            return set().union(*(_resolve(f, fn, source, depth + 1) for f in fn.buffers[name]))
        if name in fn.locals:
            return set().union(*(_resolve(e, fn, source, depth + 1) for e in fn.locals[name]))
        if name in source.constants:
            return {source.constants[name]}
    # Concatenated literal pieces around a macro parameter: "X" " Error"
    if all(t.kind in ("string",) for t in tokens if t.text not in ("(", ")")):
        return {"".join(literal_value(t.text) for t in tokens if t.kind == "string")}
    raise Unresolved(" ".join(texts))


def _top_level_colon(tokens, start):
    depth = 0
    for k in range(start + 1, len(tokens)):
        if tokens[k].text in "([{":
            depth += 1
        elif tokens[k].text in ")]}":
            depth -= 1
        elif tokens[k].text == ":" and depth == 0:
            return k
    raise Unresolved("?: without :")


@dataclass(frozen=True)
class Message:
    title: object  # str or Param
    text: object
    site: str      # file:line of the ShowMessage call


class Scan:
    def __init__(self, files):
        self.source = Source()
        for path, text in files:
            parse_source(path, text, self.source)
        self.by_name = {}
        for fn in self.source.functions:
            self.by_name.setdefault(fn.name, []).append(fn)
        self.unresolved = []  # (site, reason)
        self.sites = set()    # every ShowMessage call found
        self.reached = set()  # those some command or callback reaches
        self._summaries = {}
        for fn in self.source.functions:
            self._summary(fn)

    def commands(self):
        return sorted({fn.name for fn in self.source.functions if fn.is_command})

    def _summary(self, fn, stack=()):
        key = id(fn)
        if key in self._summaries:
            return self._summaries[key]
        if key in stack:
            return set()
        found = set()
        for call in fn.calls:
            site = f"{fn.path}:{call.line}"
            if call.name == "ShowMessage" and len(call.args) == 2:
                self.sites.add(site)
                try:
                    titles = _resolve(call.args[0], fn, self.source)
                    texts = _resolve(call.args[1], fn, self.source)
                except Unresolved as e:
                    self.unresolved.append((site, str(e)))
                    continue
                found |= {Message(a, b, site) for a in titles for b in texts}
                continue
            for callee in self._callees(fn, call):
                for m in self._summary(callee, stack + (key,)):
                    try:
                        title = self._bind(m.title, call, fn)
                        text = self._bind(m.text, call, fn)
                    except Unresolved as e:
                        self.unresolved.append((m.site + " via " + site, str(e)))
                        continue
                    found |= {Message(a, b, m.site) for a in title for b in text}
        self._summaries[key] = found
        return found

    def _bind(self, value, call, caller):
        if not isinstance(value, Param):
            return {value}
        if value.index >= len(call.args):
            raise Unresolved(f"argument {value.index} missing")
        return _resolve(call.args[value.index], caller, self.source)

    def _callees(self, caller, call):
        candidates = [f for f in self.by_name.get(call.name, []) if f is not caller]
        same_file = [f for f in candidates if f.path == caller.path]
        folder = caller.path.rsplit("/", 1)[0]
        same_folder = [f for f in candidates if f.path.rsplit("/", 1)[0] == folder]
        chosen = same_file or same_folder or candidates
        fitting = [f for f in chosen if len(f.params) == len(call.args)]
        return fitting or chosen

    def messages_of(self, export):
        """(title, text) pairs the export can show; Param leftovers are reported unresolved."""
        result = set()
        for fn in self.by_name.get(export, []):
            for m in self._summary(fn):
                if isinstance(m.title, Param) or isinstance(m.text, Param):
                    self.unresolved.append((m.site + " from " + export, "reaches the export as a parameter"))
                    continue
                result.add((m.title, m.text))
                self.reached.add(m.site)
        return sorted(result)


def family_sources(source_root, family_dirs):
    """[(path, text)] of the .cpp and .h files in the family folders, as the scanner takes them."""
    files = []
    for folder in family_dirs:
        path = os.path.join(source_root, folder)
        for name in sorted(os.listdir(path)) if os.path.isdir(path) else []:
            if name.endswith((".cpp", ".h")):
                with open(os.path.join(path, name), encoding="utf-8") as f:
                    files.append((f"{folder}/{name}", f.read()))
    return files
