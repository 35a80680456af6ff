"""The index: the guides and the loading messages first, a search box, every row by family beside
an A to Z list of all rows; the search (search.js, inlined so it runs from file://) filters both."""
import os

from command_page import messages_html, parameter_names, syntax
from effects_page import effects_link
from language_page import language_link
from page_html import TYPE_NAMES, esc, page_name, wrap

HERE = os.path.dirname(os.path.abspath(__file__))


def _row_link(row):
    return f"commands/{esc(page_name(row.name))}#{esc(row.export)}"


def _family_section(family, rows, text, guide, callback_messages, linker):
    parts = [f"<section class=\"family\" id=\"{esc(family)}\">\n<h2>{esc(text.title if text else family)}</h2>\n"]
    if text:
        parts += [f"<p>{linker.prose(p)}</p>\n" for p in text.intro]
    if guide:
        parts.append(f"<p class=\"guide-link\">Getting started: <a href=\"guides/{esc(family)}.html\">"
                     f"{esc(guide.title)}</a></p>\n")
    parts.append("<table class=\"rows\">\n<tr><th>Command</th><th>Syntax</th><th>Result</th></tr>\n")
    for row in rows:
        command_text = text.commands.get(row.name) if text else None
        result = TYPE_NAMES[row.returns] if row.returns else ""
        parts.append(f"<tr data-name=\"{esc(row.name)}\"><td><a href=\"{_row_link(row)}\">{esc(row.name)}</a></td>"
                     f"<td><code>{esc(syntax(row, command_text))}</code></td><td>{result}</td></tr>\n")
    parts.append("</table>\n")
    for export, messages in callback_messages:
        if messages:
            parts.append(f"<h3>Messages while the host renders</h3>\n")
            parts.append(messages_html(messages, text.remedies if text else {}, linker,
                                       f"<p>Shown while the host draws the family's objects ({esc(export)}).</p>\n"))
    parts.append("</section>\n")
    return "".join(parts)


def _a_to_z(rows, descriptions):
    overloaded = {}
    for row in rows:
        overloaded[row.name] = overloaded.get(row.name, 0) + 1
    parts = ["<ol id=\"a-z\" class=\"a-z\">\n"]
    for row in sorted(rows, key=lambda r: (r.name.lower(), len(r.params), r.id)):
        hint = ""
        if overloaded[row.name] > 1:
            family = descriptions.get(row.family)
            params = parameter_names(row, family.commands.get(row.name) if family else None)
            hint = f" <span class=\"overload-hint\">({esc(', '.join(params))})</span>"
        parts.append(f"<li data-name=\"{esc(row.name)}\"><a href=\"{_row_link(row)}\">{esc(row.name)}</a>{hint}</li>\n")
    parts.append("</ol>\n")
    return "".join(parts)


def index_page(families, rows, descriptions, guides, callback_messages, linker):
    names = len(dict.fromkeys(r.name for r in rows))
    parts = ["<h1>Ryxo command reference</h1>\n",
             f"<p>{names} script commands ({len(rows)} rows with their overloads) in {len(families)} families. "
             "Types: Integer (32-bit), Float (32-bit), String (text). Commands with a result are written "
             "<code>result = Command(parameters)</code>, the others <code>Command parameters</code>; "
             f"every script follows {language_link(0).replace('The script', 'the script')}.</p>\n"]
    if guides:
        parts.append("<h2 class=\"start\">Getting started</h2>\n<ul class=\"guides\">\n")
        for family in families:
            if family in guides:
                parts.append(f"<li><a href=\"guides/{esc(family)}.html\">{esc(guides[family].title)}</a></li>\n")
        parts.append("</ul>\n")
    parts.append(f"<p class=\"effects-link\">The effect files' side of every scene: {effects_link(0)}.</p>\n")
    parts.append("<p class=\"loading-link\">A message box titled &ldquo;Ryxo Plugin&rdquo; when the game starts: "
                 "<a href=\"loading.html\">messages while the plugin loads</a>.</p>\n")
    parts.append("<div class=\"search\"><label for=\"search\">Find a command</label> "
                 "<input type=\"search\" id=\"search\" placeholder=\"e.g. SetMesh\" autocomplete=\"off\"> "
                 "<span id=\"search-count\"></span></div>\n"
                 "<p id=\"search-none\" hidden>No command matches.</p>\n")
    parts.append("<div class=\"index-columns\">\n<div class=\"families\">\n<p class=\"family-list\">Families: ")
    parts.append(" &middot; ".join(
        f"<a href=\"#{esc(f)}\">{esc(descriptions[f].title if f in descriptions else f)}</a>" for f in families))
    parts.append("</p>\n")
    for family in families:
        parts.append(_family_section(family, [r for r in rows if r.family == family], descriptions.get(family),
                                     guides.get(family), callback_messages.get(family, []), linker))
    parts.append("</div>\n<aside>\n<h2>A to Z</h2>\n")
    parts.append(_a_to_z(rows, descriptions))
    parts.append("</aside>\n</div>\n")
    with open(os.path.join(HERE, "search.js"), encoding="utf-8") as f:
        parts.append("<script>\n" + f.read() + "</script>\n")
    return wrap("Index", "".join(parts), 0, page_class="index")
