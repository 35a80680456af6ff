"""What every page of the command reference shares: escaping, the page frame with its footer line,
message texts with their placeholders, and prose in which command names become links."""
import html
import re

TYPE_NAMES = {"L": "Integer", "F": "Float", "S": "String"}
_PLACEHOLDER = re.compile(r"%[-+ #0-9.]*(?:l|ll|h)?[diuxXsgfc]")


def page_name(command):
    return command.replace(" ", "_") + ".html"


def esc(text):
    return html.escape(text, quote=True)


def message_html(text):
    """A message text with its printf placeholders shown as values the game maker will see."""
    out, i = [], 0
    for m in _PLACEHOLDER.finditer(text):
        out.append(esc(text[i:m.start()]))
        kind = m.group()[-1]
        out.append("<var>" + ("text" if kind == "s" else "number") + "</var>")
        i = m.end()
    out.append(esc(text[i:]))
    return "".join(out)


def wrap(title, body, depth, footer="", page_class=""):
    up = "../" * depth
    foot = f"<footer>{footer}</footer>\n" if footer else ""
    body_class = f" class=\"{page_class}\"" if page_class else ""
    return (f"<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            f"<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            f"<title>{esc(title)} - Ryxo command reference</title>\n"
            f"<link rel=\"stylesheet\" href=\"{up}style.css\">\n</head>\n<body{body_class}>\n"
            f"<nav><a href=\"{up}index.html\">Ryxo command reference</a></nav>\n<main>\n{body}</main>\n"
            f"{foot}</body>\n</html>\n")


class Linker:
    """Turns command names in a text into links to their pages, from a page `depth` folders down."""

    def __init__(self, names, depth):
        self.up = "../" * depth
        ordered = sorted(set(names), key=len, reverse=True)
        self.pattern = re.compile(r"(?<![A-Za-z0-9_])(" + "|".join(map(re.escape, ordered)) + r")(?![A-Za-z0-9_])")

    def link(self, name):
        return f"<a href=\"{self.up}commands/{esc(page_name(name))}\">{esc(name)}</a>"

    def code(self, text, skip=""):
        """Escaped text with every command name (but `skip`) linked."""
        out, i = [], 0
        for m in self.pattern.finditer(text):
            out.append(esc(text[i:m.start()]))
            out.append(esc(m.group()) if m.group() == skip else self.link(m.group()))
            i = m.end()
        out.append(esc(text[i:]))
        return "".join(out)

    def script(self, line, skip=""):
        """A script line: command names linked, its comment (from a backtick outside a string, or a
        whole `rem` line) set apart."""
        start, quoted = None, False
        for i, ch in enumerate(line):
            if ch == '"':
                quoted = not quoted
            elif ch == "`" and not quoted:
                start = i
                break
        if re.match(r"\s*rem(\s|$)", line, re.I):
            start = 0
        if start is None:
            return self.code(line, skip)
        return self.code(line[:start], skip) + f"<span class=\"comment\">{esc(line[start:])}</span>"

    def prose(self, text, skip=""):
        """A paragraph: `code` spans become <code>, **bold** <strong>, command names links."""
        parts = re.split(r"`([^`]+)`", text)
        html_parts = [f"<code>{self.code(p, skip)}</code>" if i % 2 else self.code(p, skip)
                      for i, p in enumerate(parts)]
        return re.sub(r"\*\*(.+?)\*\*", r"<strong>\1</strong>", "".join(html_parts))
