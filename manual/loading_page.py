"""loading.html: the messages the plugin can show while the host loads it, with what to do."""
from command_page import messages_html
from page_html import esc, wrap


def loading_page(messages, text, linker):
    title = text.title if text and text.title else "Messages while the plugin loads"
    parts = [f"<h1>{esc(title)}</h1>\n"]
    if text:
        parts += [f"<p>{linker.prose(p)}</p>\n" for p in text.intro]
    parts.append(messages_html(messages, text.remedies if text else {}, linker, ""))
    return wrap(title, "".join(parts), 0)
