"""A getting-started guide as a page, guides/<family>.html: its picture (copied from docs/ into
the reference's pictures/ folder), its sections, and its script blocks with command names linked."""
from page_html import esc, wrap


def guide_page(guide, family_title, linker):
    parts = [f"<h1>{esc(guide.title)}</h1>\n",
             f"<p class=\"family\">Commands of this family: <a href=\"../index.html#{esc(guide.family)}\">"
             f"{esc(family_title)}</a></p>\n"]
    if guide.picture:
        parts.append(f"<figure><img src=\"../pictures/{esc(guide.picture)}\" alt=\"{esc(guide.title)}: "
                     f"the demo scene this guide's script follows\"></figure>\n")
    in_list = False
    for block in guide.blocks:
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
    if in_list:
        parts.append("</ul>\n")
    return wrap(guide.title, "".join(parts), 1)
