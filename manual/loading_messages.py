"""The messages shown while the plugin loads: the fatal binding messages of plugin/binders.cpp.

Each binder of a host library that cannot be bound shows "Ryxo Plugin" (kFatalTitle) with
"Fatal Error: Could not initialise %s" formatted with the library's name. The texts are built at run
time, so the message scanner cannot follow them; this module reads the title, the text's start and
the library names from the two files, and reports any other message box call in plugin/*.cpp so a
new loading message cannot go unlisted. Their remedies are in plugin/manual/loading.md (same
form as a family's `# Messages` section, see descriptions.py).
"""
import glob
import os
import re

_TITLE = re.compile(r'kFatalTitle\s*=\s*"([^"]*)"')
# The text is formatted into a fixed buffer (the binding allocates nothing): the format's part
# before its one %s is the text's start, the library's name follows.
_REPORT = re.compile(r'snprintf\(\s*(\w+)\s*,\s*sizeof\s*\(?\s*\1\s*\)?\s*,\s*"([^"%]*)%s"\s*,\s*\w+\s*\);\s*'
                     r'ShowMessage\(kFatalTitle,\s*\1\s*\);')
_LIBRARY = re.compile(r'\{\s*"([^"]+)"\s*,\s*Bind\w+\s*\}')


def _read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def loading_messages(source_root):
    """([(title, text)], [problem]): one message per host library, in binding order."""
    plugin = os.path.join(source_root, "plugin")
    header, binders = _read(os.path.join(plugin, "binders.h")), _read(os.path.join(plugin, "binders.cpp"))
    title, report = _TITLE.search(header), _REPORT.search(binders)
    libraries = _LIBRARY.findall(binders)
    problems = []
    if not title or not report or not libraries:
        problems.append("plugin/binders.cpp: the fatal binding message (title, text and library table) "
                        "is no longer where loading_messages.py reads it")
        return [], problems
    for path in sorted(glob.glob(os.path.join(plugin, "*.cpp"))):
        code = re.sub(r"//[^\n]*|/\*.*?\*/", "", _read(path), flags=re.S)
        calls = len(re.findall(r"\bShowMessage\s*\(", code))
        expected = {"binders.cpp": 1, "message_box.cpp": 1}.get(os.path.basename(path), 0)
        if calls != expected:
            problems.append(f"plugin/{os.path.basename(path)}: {calls} message box calls, the reference "
                            f"knows {expected}: list the new loading message in loading_messages.py")
    return [(title.group(1), report.group(2) + name) for name in libraries], problems
