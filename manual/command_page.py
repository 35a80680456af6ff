"""One page per command name: what it does, each overload's syntax with a meaning for every
parameter and the result, the formats it takes, the messages it can show with what to do, an
example, the commands to use with it, and a footer line with the rows behind it."""
from effects_page import effects_link
from page_html import TYPE_NAMES, esc, message_html, page_name, wrap


def parameter_names(row, text):
    names = text.parameter_names(row.export) if text else None
    if not names or len(names) != len(row.params):
        names = [f"value{i + 1}" for i in range(len(row.params))]
    return names


def result_name(text):
    return text.result if text and text.result else "result"


def syntax(row, text):
    names = parameter_names(row, text)
    if row.returns:
        return f"{result_name(text)} = {row.name}({', '.join(names)})"
    return f"{row.name} {', '.join(names)}".rstrip()


def _meaning_cell(text, name, linker, skip):
    meaning = text.meanings.get(name) if text else None
    if not meaning:
        return "<td class=\"missing\">No meaning yet.</td>"
    return f"<td>{linker.prose(meaning, skip)}</td>"


def _overload(row, text, linker):
    names = parameter_names(row, text)
    parts = [f"<section class=\"overload\" id=\"{esc(row.export)}\">\n"
             f"<pre class=\"syntax\">{esc(syntax(row, text))}</pre>\n"]
    if row.params:
        parts.append("<table class=\"parameters\">\n<tr><th>Parameter</th><th>Type</th><th>Meaning</th></tr>\n")
        for n, letter in zip(names, row.params):
            parts.append(f"<tr><td><code>{esc(n)}</code></td><td>{TYPE_NAMES[letter]}</td>"
                         f"{_meaning_cell(text, n, linker, row.name)}</tr>\n")
        parts.append("</table>\n")
    else:
        parts.append("<p>No parameters.</p>\n")
    if row.returns:
        name = result_name(text)
        parts.append("<table class=\"result\">\n<tr><th>Result</th><th>Type</th><th>Meaning</th></tr>\n"
                     f"<tr><td><code>{esc(name)}</code></td><td>{TYPE_NAMES[row.returns]}</td>"
                     f"{_meaning_cell(text, name, linker, row.name)}</tr>\n</table>\n")
    else:
        parts.append("<p class=\"no-result\">No result: the command is written as a statement.</p>\n")
    parts.append("</section>\n")
    return "".join(parts)


def formats_html(uses, formats):
    parts = []
    for use in uses:
        listed = formats.get(use, [])
        if len(uses) > 1:
            parts.append(f"<h3>Formats for <code>{esc(use)}</code></h3>\n")
        if not listed:
            parts.append("<p class=\"missing\">No formats listed for this use.</p>\n")
            continue
        parts.append("<table class=\"formats\">\n<tr><th>Format</th><th>Number</th><th>Note</th></tr>\n")
        for f in listed:
            parts.append(f"<tr><td><code>{esc(f.name)}</code></td><td>{f.number}</td><td>{esc(f.note)}</td></tr>\n")
        parts.append("</table>\n")
    return "".join(parts)


def messages_html(messages, remedies, linker, intro, skip=""):
    """A message table: title, text and what to do; remedies keyed by text (`skip`: the page's own
    command, not linked)."""
    if not messages:
        return "<p>None: the command shows no message box.</p>\n"
    parts = [intro, "<table class=\"messages\">\n<tr><th>Title</th><th>Text</th><th>What to do</th></tr>\n"]
    for title, body in messages:
        remedy = remedies.get(" ".join(body.split()), "")
        cell = f"<td>{linker.prose(remedy, skip)}</td>" if remedy else "<td class=\"missing\">No remedy yet.</td>"
        parts.append(f"<tr><td>{message_html(title)}</td><td>{message_html(body)}</td>{cell}</tr>\n")
    parts.append("</table>\n")
    return "".join(parts)


def requirements_html(text, family, linker, skip):
    """The card's part (the command's own line, else its family's) and the one library every
    command needs."""
    card = (text.requires if text and text.requires else "") or (family.requires if family else "")
    card = f"{linker.prose(card, skip)} " if card else ""
    return (f"<p class=\"requirements\"><strong>Requirements:</strong> {card}"
            "Like every Ryxo command it needs <code>d3dx9_35.dll</code> (DirectX 9 end-user runtime) "
            "on the player's machine.</p>\n")


def rows_footer(rows):
    """The developers' line: row numbers, row texts (with their type letters) and exports."""
    entries = [f"row {row.id} <code>{esc(row.text)}</code> export <code>{esc(row.export)}</code>" for row in rows]
    return "For developers: " + "; ".join(entries) + "."


def command_page(name, rows, text, family, messages, formats, guide, linker, effects=False):
    """`effects`: the command draws with, or hands values to, an object's effect: link the page on
    writing effects."""
    family_id = family.family if family else rows[0].family
    family_title = family.title if family and family.title else family_id
    guide_link = (f" &middot; Guide: <a href=\"../guides/{esc(family_id)}.html\">{esc(guide.title)}</a>"
                  if guide else "")
    parts = [f"<h1>{esc(name)}</h1>\n",
             f"<p class=\"family\">Family: <a href=\"../index.html#{esc(family_id)}\">{esc(family_title)}</a>"
             f"{guide_link}</p>\n"]
    if text and text.text:
        parts += [f"<p>{linker.prose(p, name)}</p>\n" for p in text.text]
    else:
        parts.append("<p class=\"missing\">No description yet.</p>\n")
    parts.append(requirements_html(text, family, linker, name))
    parts.append("<h2>Syntax</h2>\n")
    parts += [_overload(row, text, linker) for row in rows]
    if text and text.formats:
        parts.append("<h2>Formats</h2>\n<p>Formats are given as D3DFORMAT numbers; these are the ones "
                     "proved to work here for this command's use:</p>\n")
        parts.append(formats_html(text.formats, formats))
    parts.append("<h2>Messages</h2>\n")
    parts.append(messages_html(messages, family.remedies if family else {}, linker,
                               "<p>When something goes wrong the command shows a message box with one of "
                               "these titles and texts.</p>\n", name))
    if text and text.example:
        parts.append("<h2>Example</h2>\n<pre class=\"example\">"
                     + "\n".join(linker.script(line, name) for line in text.example) + "</pre>\n")
    parts.append("<h2>See also</h2>\n")
    see_also = text.see_also if text else []
    if see_also:
        parts.append("<ul class=\"see-also\">\n" + "".join(
            f"<li><a href=\"{esc(page_name(other))}\">{esc(other)}</a></li>\n" for other in see_also) + "</ul>\n")
    else:
        parts.append("<p class=\"missing\">No related commands listed yet.</p>\n")
    if effects:
        parts.append(f"<p>What the object's effect receives when Ryxo draws it: {effects_link(1)}.</p>\n")
    if guide:
        parts.append(f"<p>How the family's commands fit together: <a href=\"../guides/{esc(family_id)}.html\">"
                     f"{esc(guide.title)}</a>.</p>\n")
    return wrap(name, "".join(parts), 1, rows_footer(rows))
