"""Generates the game maker's command reference from the command rows, the family descriptions
beside them and the message texts found in the plugin's sources:

    index.html              every row, by family, linking to the command pages
    commands/<name>.html    one page per command name: its overloads, script syntax, what it does,
                            the messages it can show, an example
    ryxo_keywords.txt       one command name per line, for script editors
    messages.tsv            export, title, text, source line: what the checks compare pages with

Usage: generate_reference.py ROWS_DIR SOURCE_ROOT OUT_DIR FAMILY_DIR...
"""
import html
import re
import os
import shutil
import sys

from command_rows import read_callbacks, read_rows
from descriptions import read_descriptions
from message_scan import Scan

TYPE_NAMES = {"L": "Integer", "F": "Float", "S": "String"}
HERE = os.path.dirname(os.path.abspath(__file__))


def page_name(command):
    return command.replace(" ", "_") + ".html"


def esc(text):
    return html.escape(text, quote=True)


def message_html(text):
    """A message text with its printf placeholders shown as values the game maker will see."""
    out, i = [], 0
    for m in re.finditer(r"%[-+ #0-9.]*(?:l|ll|h)?[diuxXsgfc]", text):
        out.append(esc(text[i:m.start()]))
        kind = m.group()[-1]
        out.append("<var>" + ("text" if kind == "s" else "number") + "</var>")
        i = m.end()
    out.append(esc(text[i:]))
    return "".join(out)


def wrap(title, body, depth):
    up = "../" * depth
    return (f"<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            f"<title>{esc(title)} - Ryxo command reference</title>\n"
            f"<link rel=\"stylesheet\" href=\"{up}style.css\">\n</head>\n<body>\n"
            f"<nav><a href=\"{up}index.html\">Ryxo command reference</a></nav>\n<main>\n{body}</main>\n</body>\n</html>\n")


def parameter_names(row, text):
    names = text.parameter_names(row.export) if text else None
    if not names or len(names) != len(row.params):
        names = [f"value{i + 1}" for i in range(len(row.params))]
    return names


def syntax(row, text):
    names = parameter_names(row, text)
    if row.returns:
        result = (text.result if text and text.result else "result")
        return f"{result} = {row.name}({', '.join(names)})"
    return f"{row.name} {', '.join(names)}".rstrip()


def command_page(name, rows, text, family, messages):
    parts = [f"<h1>{esc(name)}</h1>\n",
             f"<p class=\"family\">Family: <a href=\"../index.html#{esc(family.family if family else rows[0].family)}\">"
             f"{esc(family.title if family else rows[0].family)}</a></p>\n"]
    if text and text.text:
        parts += [f"<p>{esc(p)}</p>\n" for p in text.text]
    else:
        parts.append("<p class=\"missing\">No description yet.</p>\n")
    parts.append(f"<h2>Syntax</h2>\n")
    for row in rows:
        names = parameter_names(row, text)
        parts.append(f"<section class=\"overload\" id=\"{esc(row.export)}\">\n<pre class=\"syntax\">{esc(syntax(row, text))}</pre>\n")
        parts.append("<table>\n<tr><th>Parameter</th><th>Type</th></tr>\n")
        if not row.params:
            parts.append("<tr><td colspan=\"2\">none</td></tr>\n")
        for n, letter in zip(names, row.params):
            parts.append(f"<tr><td><code>{esc(n)}</code></td><td>{TYPE_NAMES[letter]}</td></tr>\n")
        parts.append("</table>\n")
        result = TYPE_NAMES[row.returns] if row.returns else "none"
        parts.append(f"<p>Result: {result}. Row {row.id}: <code>{esc(row.text)}</code>, export "
                     f"<code>{esc(row.export)}</code>.</p>\n</section>\n")
    parts.append("<h2>Messages</h2>\n")
    if messages:
        parts.append("<p>When something goes wrong the command shows a message box with one of these "
                     "titles and texts.</p>\n<table class=\"messages\">\n"
                     "<tr><th>Title</th><th>Text</th></tr>\n")
        for title, body in messages:
            parts.append(f"<tr><td>{message_html(title)}</td><td>{message_html(body)}</td></tr>\n")
        parts.append("</table>\n")
    else:
        parts.append("<p>None: the command shows no message box.</p>\n")
    if text and text.example:
        parts.append("<h2>Example</h2>\n<pre class=\"example\">" + esc("\n".join(text.example)) + "</pre>\n")
    return wrap(name, "".join(parts), 1)


def index_page(families, rows, descriptions, callback_messages):
    parts = ["<h1>Ryxo command reference</h1>\n",
             f"<p>{len(dict.fromkeys(r.name for r in rows))} script commands ({len(rows)} rows with their overloads) "
             f"in {len(families)} families. Types: Integer (32-bit), "
             "Float (32-bit), String (text). Commands with a result are written "
             "<code>result = Command(parameters)</code>, the others <code>Command parameters</code>.</p>\n<ul>\n"]
    for family in families:
        title = descriptions[family].title if family in descriptions else family
        parts.append(f"<li><a href=\"#{esc(family)}\">{esc(title)}</a></li>\n")
    parts.append("</ul>\n")
    for family in families:
        text = descriptions.get(family)
        parts.append(f"<section id=\"{esc(family)}\">\n<h2>{esc(text.title if text else family)}</h2>\n")
        if text:
            parts += [f"<p>{esc(p)}</p>\n" for p in text.intro]
        parts.append("<table>\n<tr><th>Id</th><th>Command</th><th>Syntax</th><th>Result</th></tr>\n")
        for row in (r for r in rows if r.family == family):
            command_text = text.commands.get(row.name) if text else None
            result = TYPE_NAMES[row.returns] if row.returns else ""
            parts.append(f"<tr><td>{row.id}</td><td><a href=\"commands/{esc(page_name(row.name))}#{esc(row.export)}\">"
                         f"{esc(row.name)}</a></td><td><code>{esc(syntax(row, command_text))}</code></td>"
                         f"<td>{result}</td></tr>\n")
        parts.append("</table>\n")
        for export, messages in callback_messages.get(family, []):
            if messages:
                parts.append(f"<h3>Messages while the host renders ({esc(export)})</h3>\n<table class=\"messages\">\n"
                             "<tr><th>Title</th><th>Text</th></tr>\n")
                for title, body in messages:
                    parts.append(f"<tr><td>{message_html(title)}</td><td>{message_html(body)}</td></tr>\n")
                parts.append("</table>\n")
        parts.append("</section>\n")
    return wrap("Index", "".join(parts), 0)


def main(rows_dir, source_root, out_dir, family_dirs):
    rows = read_rows(rows_dir)
    callbacks = read_callbacks(rows_dir)
    descriptions = read_descriptions(rows_dir)
    files = []
    for folder in family_dirs:
        path = os.path.join(source_root, folder)
        if not os.path.isdir(path):
            continue
        for name in sorted(os.listdir(path)):
            if name.endswith((".cpp", ".h")):
                with open(os.path.join(path, name), encoding="utf-8") as f:
                    files.append((f"{folder}/{name}", f.read()))
    scan = Scan(files)

    os.makedirs(os.path.join(out_dir, "commands"), exist_ok=True)
    shutil.copyfile(os.path.join(HERE, "style.css"), os.path.join(out_dir, "style.css"))
    families = []
    for row in rows:
        if row.family not in families:
            families.append(row.family)

    tsv = ["export\ttitle\ttext\tsite"]
    by_name = {}
    for row in rows:
        by_name.setdefault(row.name, []).append(row)
    written = set()
    for name, overloads in by_name.items():
        family = descriptions.get(overloads[0].family)
        text = family.commands.get(name) if family else None
        messages = sorted({m for row in overloads for m in scan.messages_of(row.export)})
        page = command_page(name, overloads, text, family, messages)
        write(os.path.join(out_dir, "commands", page_name(name)), page)
        written.add(page_name(name))
    for row in rows:
        for title, body in scan.messages_of(row.export):
            tsv.append(f"{row.export}\t{title}\t{body}\t")
    callback_messages = {}
    for family, exports in callbacks.items():
        for export in exports:
            messages = scan.messages_of(export)
            callback_messages.setdefault(family, []).append((export, messages))
            tsv += [f"{export}\t{t}\t{b}\t" for t, b in messages]
    # Pages of commands whose rows are gone would be stale: remove them.
    for stale in set(os.listdir(os.path.join(out_dir, "commands"))) - written:
        os.remove(os.path.join(out_dir, "commands", stale))
    write(os.path.join(out_dir, "index.html"), index_page(families, rows, descriptions, callback_messages))
    write(os.path.join(out_dir, "ryxo_keywords.txt"), "".join(n + "\n" for n in by_name))
    for site in sorted(scan.sites):
        tsv.append(f"\t\t\t{site}")
    for site, reason in sorted(set(scan.unresolved)):
        tsv.append(f"UNRESOLVED\t\t{reason}\t{site}")
    write(os.path.join(out_dir, "messages.tsv"), "\n".join(tsv) + "\n")
    for site, reason in sorted(set(scan.unresolved)):
        print(f"warning: message at {site} not followed to its text ({reason})", file=sys.stderr)


def write(path, content):
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            if f.read() == content:
                return
    with open(path, "w", encoding="utf-8") as f:
        f.write(content)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:])
