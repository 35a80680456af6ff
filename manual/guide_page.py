"""A getting-started guide as a page, guides/<family>.html: its picture (copied from docs/ into
the reference's pictures/ folder), its sections, and its script blocks with command names linked.
The blocks are drawn by blocks_html, which the page on writing effects shares."""
from page_html import esc, wrap

EFFECTS_PAGE = "effects.html"


def table_html(rows):
    """A tab-separated table: its first line the heading; "-" cells shown as a dash."""
    head, body = rows[0], rows[1:]
    parts = ["<div class=\"wide\"><table class=\"contract\">\n<tr>" + "".join(f"<th>{esc(h)}</th>" for h in head) + "</tr>\n"]
    for row in body:
        cells = [f"<td><code>{esc(c)}</code></td>" if c not in ("", "-") else f"<td>{'&ndash;' if c else ''}</td>"
                 for c in row]
        cells[0] = f"<td>{esc(row[0])}</td>"
        parts.append("<tr>" + "".join(cells) + "</tr>\n")
    return "".join(parts) + "</table></div>\n"


def effect_html(name, text):
    """An effect file in full, under the path the release archive gives it."""
    return (f"<figure class=\"effect-file\"><figcaption><code>effects/{esc(name)}</code></figcaption>\n"
            f"<pre class=\"effect\">{esc(text.rstrip())}</pre></figure>\n")


def blocks_html(blocks, linker, tables=None, effects=None):
    parts = []
    in_list = False
    for block in blocks:
        if in_list and block.kind != "item":
            parts.append("</ul>\n")
            in_list = False
        if block.kind == "heading":
            parts.append(f"<h2>{esc(block.lines[0])}</h2>\n")
        elif block.kind == "subheading":
            parts.append(f"<h3>{esc(block.lines[0])}</h3>\n")
        elif block.kind == "paragraph":
            parts.append(f"<p>{linker.prose(' '.join(block.lines))}</p>\n")
        elif block.kind == "item":
            if not in_list:
                parts.append("<ul>\n")
                in_list = True
            parts.append(f"<li>{linker.prose(' '.join(block.lines))}</li>\n")
        elif block.kind == "script":
            parts.append("<pre class=\"script\">" + "\n".join(linker.script(line) for line in block.lines) + "</pre>\n")
        elif block.kind == "table":
            parts.append(table_html((tables or {})[block.lines[0]]))
        elif block.kind == "effect" and block.lines[0] in (effects or {}):
            parts.append(effect_html(block.lines[0], effects[block.lines[0]]))
    if in_list:
        parts.append("</ul>\n")
    return "".join(parts)


def guide_page(guide, family_title, linker, effects=None):
    parts = [f"<h1>{esc(guide.title)}</h1>\n",
             f"<p class=\"family\">Commands of this family: <a href=\"../index.html#{esc(guide.family)}\">"
             f"{esc(family_title)}</a> &middot; The effect's side: "
             f"<a href=\"../{EFFECTS_PAGE}\">Writing effects for Ryxo</a></p>\n"]
    if guide.picture:
        parts.append(f"<figure><img src=\"../pictures/{esc(guide.picture)}\" alt=\"{esc(guide.title)}: "
                     f"the demo scene this guide's script follows\"></figure>\n")
    parts.append(blocks_html(guide.blocks, linker, effects=effects))
    return wrap(guide.title, "".join(parts), 1)
