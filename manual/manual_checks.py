"""The checks on the manual's texts themselves, each returning the failures it finds as readable
lines: a meaning for every parameter and result, see-also lines naming commands of the table,
format uses the format table lists, a remedy for every message a family shows and none for texts
it does not, and guides that exist for every family with their picture. check_manual.py runs
them on the real texts; test_manual_checks.py proves each refusal on small fixtures."""
import os
import re


def _words(text):
    return [w for w in re.split(r"[^a-z0-9]+", text.lower()) if w]


def restates(name, meaning):
    """Whether a meaning only repeats its name ("cube: the cube", "set: The set.")."""
    name_words = _words(re.sub(r"([a-z])([A-Z])", r"\1 \2", name))
    rest = [w for w in _words(meaning) if w not in ("the", "a", "an", "of", "this", "its")]
    return rest == name_words or not rest


def check_meanings(name, rows, text):
    """Every parameter of every overload and the result need a meaning; no meaning may be left over."""
    if text is None:
        return [f"{name}: no description"]
    failures, used = [], set()
    for row in rows:
        params = text.parameter_names(row.export) or []
        if len(params) != len(row.params):
            failures.append(f"{name}: {row.export} needs {len(row.params)} parameter names, has {params}")
        used.update(params)
    has_result = any(row.returns for row in rows)
    if has_result and not text.result:
        failures.append(f"{name}: has a result but no 'result:' line naming it")
    if text.result and not has_result:
        failures.append(f"{name}: names a result ({text.result}) but has none")
    if text.result:
        used.add(text.result)
    for param in sorted(used):
        meaning = text.meanings.get(param, "")
        if not meaning:
            failures.append(f"{name}: no meaning for {param} (write '- {param}: ...')")
        elif restates(param, meaning):
            failures.append(f"{name}: the meaning of {param} only restates its name: {meaning!r}")
    for extra in sorted(set(text.meanings) - used):
        failures.append(f"{name}: a meaning for {extra}, which is no parameter or result of it")
    return failures


def check_format_uses(name, rows, text):
    """A command with a parameter or result called format takes or gives a D3DFORMAT number: its page
    must list the formats (a `formats:` line)."""
    if text is None or text.formats:
        return []
    names = {n for row in rows for n in (text.parameter_names(row.export) or [])} | {text.result}
    return [f"{name}: takes or gives a format but has no 'formats:' line"] if "format" in names else []


def check_see_also(name, text, names):
    if text is None:
        return []
    if not text.see_also:
        return [f"{name}: no 'see also:' line"]
    failures = [f"{name}: see also names {other}, which is not a command of the table"
                for other in text.see_also if other not in names]
    if name in text.see_also:
        failures.append(f"{name}: see also names the command itself")
    return failures


def check_formats(name, text, formats):
    if text is None:
        return []
    return [f"{name}: formats: {use} has no rows in plugin/manual/formats.tsv"
            for use in text.formats if not formats.get(use)]


def check_remedies(family, shown):
    """family: a FamilyText; shown: the message texts its commands and callbacks can show."""
    where = family.path or family.family
    shown = {" ".join(t.split()) for t in shown}
    failures = []
    for text in sorted(shown):
        remedy = family.remedies.get(text)
        if remedy is None:
            failures.append(f"{where}: no '# Messages' entry for {text!r}")
        elif not remedy:
            failures.append(f"{where}: no 'do:' for {text!r}")
        elif _words(remedy) == _words(text):
            failures.append(f"{where}: the remedy for {text!r} only restates the message")
    for text in sorted(set(family.remedies) - shown):
        failures.append(f"{where}: stale entry {text!r}: no source of the family shows this text")
    return failures + list(family.problems)


def check_guides(guides, families, docs_dir):
    failures = []
    for family in families:
        if family not in guides:
            failures.append(f"{family}: no getting-started guide ({family}/guide.md)")
    for family, guide in sorted(guides.items()):
        if family not in families:
            failures.append(f"{guide.path}: no family {family} in the command table")
        if guide.picture and not os.path.isfile(os.path.join(docs_dir, guide.picture)):
            failures.append(f"{guide.path}: picture {guide.picture} is not in docs/")
        if not guide.scripts():
            failures.append(f"{guide.path}: no script block (lines indented four spaces)")
        failures += guide.problems
    return failures
