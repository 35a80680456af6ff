"""Checks the script lines of the manual (every `example:` block and every guide script block)
against the command table, so no page shows a call the DLL would not take. The language is the one
plugin/manual/script_language.md describes; the reference host's script runner
(refhost/script/) is the full reading of it, and its DLL test parses and binds the same blocks
against the built table, with types. This check needs no Windows build.

In short, one statement per line:
    Command arg, arg                a command without a result (statement form, no parentheses)
    var = Command(arg, arg)         a command's result used as a value, in any expression;
                                    Command() with no arguments
    for i = 1 to n [step s] / next i, do / loop, while cond / endwhile, repeat / until cond,
    if cond then statement [else statement], if cond / elseif cond / else / endif
    "text" strings; a backtick starts a comment; a line starting with `rem` is a comment.
Variables are identifiers, optionally ending in # (float) or $ (text). Command names may hold a
space ("Poke Vec3"). Any identifier starting with a family prefix of the table (the part of a
command name up to its first underscore, such as GeoInst_, or the first word of a spaced name,
such as "Poke ") is taken for a command and must be one.

A line fails when it names a command that is not in the table, calls one with an argument count
that matches no row of the form used, uses a command without a result as a value, uses a
result-only command as a statement, or cannot be read at all (host engine commands are written as
comment lines in the manual, never as statements).
"""
import re
from dataclasses import dataclass, field

_TOKEN = re.compile(r'''
    (?P<space>[ \t]+)
  | (?P<comment>`.*)
  | (?P<string>"[^"]*")
  | (?P<number>0[xX][0-9A-Fa-f]+|%[01]+|\d+\.?\d*(?:[eE][-+]?\d+)?|\.\d+)
  | (?P<name>[A-Za-z_][A-Za-z0-9_]*[#$]?)
  | (?P<op><>|<=|>=|[-+*/^=<>(),])
  | (?P<bad>.)
''', re.X)

_BINARY_WORDS = {"and", "or", "xor", "mod"}
_RESERVED = _BINARY_WORDS | {"not", "then", "else", "elseif", "to", "step", "if", "for", "next", "do",
                             "loop", "while", "endwhile", "repeat", "until", "endif", "rem", "exit", "end"}


@dataclass
class Token:
    kind: str
    text: str


@dataclass
class Forms:
    statement: set = field(default_factory=set)  # argument counts of the rows without a result
    value: set = field(default_factory=set)      # argument counts of the rows with a result


class ScriptError(Exception):
    pass


def command_forms(rows):
    forms = {}
    for row in rows:
        entry = forms.setdefault(row.name, Forms())
        (entry.value if row.returns else entry.statement).add(len(row.params))
    return forms


def _counts(counts):
    return " or ".join(str(c) for c in sorted(counts))


class ScriptChecker:
    def __init__(self, rows):
        self.forms = command_forms(rows)
        self.prefixes = set()
        self.spaced_words = set()
        for name in self.forms:
            if " " in name:
                self.spaced_words.add(name.split(" ")[0])
                self.prefixes.add(name.split(" ")[0].lower() + " ")
            elif "_" in name:
                self.prefixes.add(name[:name.index("_") + 1].lower())

    # ---- tokens ----

    def tokenize(self, line):
        tokens = []
        for m in _TOKEN.finditer(line):
            kind, text = m.lastgroup, m.group()
            if kind == "comment":
                break
            if kind == "bad":
                raise ScriptError("unterminated string" if text == '"' else f"unexpected character {text!r}")
            tokens.append(Token(kind, text))
        # "Poke" + space + "Vec3" is one command name.
        merged = []
        for t in tokens:
            if (t.kind == "name" and len(merged) >= 2 and merged[-1].kind == "space"
                    and merged[-2].kind == "name" and merged[-2].text in self.spaced_words):
                merged[-2:] = [Token("name", merged[-2].text + " " + t.text)]
            else:
                merged.append(t)
        return [t for t in merged if t.kind != "space"]

    def is_command(self, token):
        return token.kind == "name" and (token.text in self.forms
                                         or any(token.text.lower().startswith(p) for p in self.prefixes))

    def known(self, name):
        if name not in self.forms:
            raise ScriptError(f"{name} is not a command of the table")
        return self.forms[name]

    # ---- lines ----

    def check_line(self, line):
        """The problem with one script line, or None when the line is good."""
        if re.match(r"rem(\s|$)", line.strip(), re.I):
            return None  # a remark is not read at all
        try:
            tokens = self.tokenize(line)
            self.control_line(tokens)
        except ScriptError as e:
            return str(e)
        return None

    def control_line(self, tokens):
        if not tokens:
            return
        word = tokens[0].text.lower() if tokens[0].kind == "name" else ""
        if word in ("if", "elseif"):
            then = _find_word(tokens, "then")
            if then is None:
                self.expression_only(tokens[1:])
                return
            self.expression_only(tokens[1:then])
            rest = tokens[then + 1:]
            otherwise = _find_word(rest, "else")
            if otherwise is not None:
                self.control_line(rest[otherwise + 1:])
                rest = rest[:otherwise]
            if rest:
                self.control_line(rest)
        elif word in ("while", "until"):
            self.expression_only(tokens[1:])
        elif word == "for":
            to = _find_word(tokens, "to")
            if len(tokens) < 4 or tokens[1].kind != "name" or tokens[2].text != "=" or to is None:
                raise ScriptError("a for line reads: for variable = first to last [step size]")
            self.expression_only(tokens[3:to])
            step = _find_word(tokens, "step")
            self.expression_only(tokens[to + 1:step])
            if step is not None:
                self.expression_only(tokens[step + 1:])
        elif word == "next":
            if len(tokens) > 2 or (len(tokens) == 2 and tokens[1].kind != "name"):
                raise ScriptError("a next line reads: next variable")
        elif word in ("do", "loop", "else", "endif", "endwhile", "repeat", "exit", "end"):
            if len(tokens) > 1:
                raise ScriptError(f"nothing may follow {tokens[0].text} on its line")
        else:
            self.statement(tokens)

    def statement(self, tokens):
        first = tokens[0]
        if self.is_command(first):
            forms = self.known(first.text)
            args = tokens[1:]
            if len(args) >= 2 and args[0].text == "(" and _matching(args, 0) == len(args) - 1:
                count = self.arguments(args[1:-1])
                if not forms.statement:
                    raise ScriptError(f"{first.text} gives a result and has no statement form: "
                                      f"use its value, e.g. x = {first.text}(...)")
                if count != 1:
                    raise ScriptError(f"the statement form of {first.text} takes its arguments without parentheses")
            else:
                count = self.arguments(args)
                if not forms.statement:
                    raise ScriptError(f"{first.text} gives a result and has no statement form: "
                                      f"use its value, e.g. x = {first.text}(...)")
            if count not in forms.statement:
                raise ScriptError(f"{first.text} as a statement takes {_counts(forms.statement)} "
                                  f"arguments, not {count}")
            return
        if first.kind != "name" or first.text.lower() in _RESERVED:
            raise ScriptError(f"a statement cannot start with {first.text!r}")
        at = 1
        if at < len(tokens) and tokens[at].text == "(":  # array element: a(i) = ...
            end = _matching(tokens, at)
            self.arguments(tokens[at + 1:end])
            at = end + 1
        if at < len(tokens) and tokens[at].text == "=":
            self.expression_only(tokens[at + 1:])
            return
        raise ScriptError("not a statement of the manual's script language (host engine steps are written "
                          "as comment lines)")

    # ---- expressions ----

    def expression_only(self, tokens):
        if not tokens:
            raise ScriptError("an expression is missing")
        end = self.expression(tokens, 0)
        if end != len(tokens):
            raise ScriptError(f"unexpected {tokens[end].text!r}")

    def arguments(self, tokens):
        """The number of comma-separated arguments, each checked as an expression."""
        if not tokens:
            return 0
        count, at = 0, 0
        while True:
            if at >= len(tokens) or tokens[at].text == ",":
                raise ScriptError("an argument is missing between commas")
            at = self.expression(tokens, at)
            count += 1
            if at == len(tokens):
                return count
            if tokens[at].text != ",":
                raise ScriptError(f"unexpected {tokens[at].text!r} in an argument list")
            at += 1

    def expression(self, tokens, at):
        """Reads one expression from tokens[at:]; returns where it ends."""
        at = self.operand(tokens, at)
        while at < len(tokens) and (tokens[at].kind == "op" and tokens[at].text not in "(),"
                                    or tokens[at].text.lower() in _BINARY_WORDS):
            at = self.operand(tokens, at + 1)
        return at

    def operand(self, tokens, at):
        if at >= len(tokens):
            raise ScriptError("an operand is missing at the end of the line")
        t = tokens[at]
        if t.text in ("-", "+") or t.text.lower() == "not":
            return self.operand(tokens, at + 1)
        if t.kind in ("number", "string"):
            return at + 1
        if t.text == "(":
            end = self.expression(tokens, at + 1)
            if end >= len(tokens) or tokens[end].text != ")":
                raise ScriptError("a parenthesis is not closed")
            return end + 1
        if t.kind != "name" or t.text.lower() in _RESERVED:
            raise ScriptError(f"unexpected {t.text!r}")
        has_call = at + 1 < len(tokens) and tokens[at + 1].text == "("
        if self.is_command(t):
            forms = self.known(t.text)
            if not forms.value:
                raise ScriptError(f"{t.text} gives no result and cannot be used as a value")
            if not has_call:
                raise ScriptError(f"{t.text} used as a value needs its arguments in parentheses: {t.text}(...)")
        if not has_call:
            return at + 1
        end = _matching(tokens, at + 1)
        count = self.arguments(tokens[at + 2:end])
        if self.is_command(t) and count not in forms.value:
            raise ScriptError(f"{t.text} as a value takes {_counts(forms.value)} arguments, not {count}")
        return end + 1


def _find_word(tokens, word):
    depth = 0
    for i, t in enumerate(tokens):
        depth += t.text == "("
        depth -= t.text == ")"
        if depth == 0 and t.kind == "name" and t.text.lower() == word:
            return i
    return None


def _matching(tokens, at):
    depth = 0
    for i in range(at, len(tokens)):
        depth += tokens[i].text == "("
        depth -= tokens[i].text == ")"
        if depth == 0:
            return i
    raise ScriptError("a parenthesis is not closed")


def check_block(checker, lines, first_line, where):
    """Failures of a block of script lines: 'where:line: text: problem'."""
    failures = []
    for offset, line in enumerate(lines):
        problem = checker.check_line(line)
        if problem:
            failures.append(f"{where}:{first_line + offset}: {line.strip()}: {problem}")
    return failures
