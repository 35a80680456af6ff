"""The page on the script language, script_language.html: the conventions every script of the
manual follows, which the reference host's script runner takes. Its text is
plugin/manual/script_language.md (the guides' form, without a picture)."""
import os

from guide_page import blocks_html
from guides import read_guide
from page_html import esc, wrap

TEXT = "script_language.md"
PAGE = "script_language.html"


def read_language_text(spine_dir):
    return read_guide(os.path.join(spine_dir, TEXT), needs_picture=False)


def language_page(text, linker):
    return wrap(text.title, f"<h1>{esc(text.title)}</h1>\n" + blocks_html(text.blocks, linker), 0)


def language_link(depth):
    return f"<a href=\"{'../' * depth}{PAGE}\">The script language</a>"
