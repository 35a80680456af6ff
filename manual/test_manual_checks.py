"""The manual's source readers and checks on small fixtures: each text the check must refuse is
refused with its reason, and a complete text passes."""
import os
import tempfile
import textwrap
import unittest

from command_rows import Row
from descriptions import read_family
from formats import read_formats
from guides import read_guide
from loading_messages import loading_messages
from manual_checks import (check_format_uses, check_formats, check_guides, check_meanings, check_remedies,
                           check_see_also)

FAMILY = """\
# Things
What things are for.
requires: A card that draws
  things.

## Thing_Make
Makes a thing.
params Thing_Make: size
params Thing_MakeFormat: size, format
- size: Edge length in pixels, 1 to 4096;
  a power of two draws fastest.
- format: A D3DFORMAT number from the table below; 0 takes the screen's format.
result: thing
- thing: Handle of the new thing for Thing_Delete, or 0 when it could not be made.
formats: render-target
requires: Room for Thing_Delete.
see also: Thing_Delete
example:
    t = Thing_Make(256)

    t = Thing_Make(256, 21)

## Thing_Delete
Deletes a thing.
params: thing
- thing: The thing
example:
    Thing_Delete t

# Messages
message: Thing %d does not   exist
do: Make it first with Thing_Make and keep the handle it returns;
  a deleted thing stays deleted.
message: Out of things
do: Out of things
message: Never shown
do: Something.
"""


def rows():
    return [Row(1, "Thing_Make[%LL%Thing_Make%", "Thing_Make", "L", "L", "Thing_Make", "things"),
            Row(2, "Thing_Make[%LLL%Thing_MakeFormat%", "Thing_Make", "L", "LL", "Thing_MakeFormat", "things"),
            Row(3, "Thing_Delete%L%Thing_Delete%", "Thing_Delete", "", "L", "Thing_Delete", "things")]


def write(folder, name, text):
    path = os.path.join(folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(textwrap.dedent(text))
    return path


class ManualChecksTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.family = read_family(write(self.folder.name, "things.md", FAMILY))
        self.make = self.family.commands["Thing_Make"]
        self.delete = self.family.commands["Thing_Delete"]

    def tearDown(self):
        self.folder.cleanup()

    def test_reads_meanings_with_continuations_see_also_formats_and_remedies(self):
        self.assertEqual(self.make.meanings["size"], "Edge length in pixels, 1 to 4096; a power of two draws fastest.")
        self.assertEqual((self.make.result, self.make.formats, self.make.see_also),
                         ("thing", ["render-target"], ["Thing_Delete"]))
        self.assertEqual(self.make.example, ["t = Thing_Make(256)", "", "t = Thing_Make(256, 21)"])
        self.assertEqual((self.family.title, self.family.intro), ("Things", ["What things are for."]))
        self.assertEqual((self.make.text, self.delete.text), (["Makes a thing."], ["Deletes a thing."]))
        self.assertEqual(self.family.remedies["Thing %d does not exist"],
                         "Make it first with Thing_Make and keep the handle it returns; a deleted thing stays deleted.")
        self.assertEqual(self.family.problems, [])

    def test_meanings_missing_restated_or_left_over_are_refused(self):
        self.assertEqual(check_meanings("Thing_Make", rows()[:2], self.make), [])
        self.assertEqual(check_meanings("Thing_Delete", rows()[2:], self.delete),
                         ["Thing_Delete: the meaning of thing only restates its name: 'The thing'"])
        del self.make.meanings["format"]
        self.make.meanings["colour"] = "Red, green and blue as 0xRRGGBB."
        self.make.result = ""
        self.assertEqual(check_meanings("Thing_Make", rows()[:2], self.make), [
            "Thing_Make: has a result but no 'result:' line naming it",
            "Thing_Make: no meaning for format (write '- format: ...')",
            "Thing_Make: a meaning for colour, which is no parameter or result of it",
            "Thing_Make: a meaning for thing, which is no parameter or result of it"])

    def test_see_also_must_name_commands_of_the_table(self):
        names = ["Thing_Make", "Thing_Delete"]
        self.assertEqual(check_see_also("Thing_Make", self.make, names), [])
        self.assertEqual(check_see_also("Thing_Delete", self.delete, names), ["Thing_Delete: no 'see also:' line"])
        self.make.see_also = ["Thing_Delete", "Thing_Remove", "Thing_Make"]
        self.assertEqual(check_see_also("Thing_Make", self.make, names), [
            "Thing_Make: see also names Thing_Remove, which is not a command of the table",
            "Thing_Make: see also names the command itself"])

    def test_a_format_use_needs_rows_in_the_format_table(self):
        self.assertEqual(read_formats(self.folder.name), ({}, []))
        self.assertEqual(check_formats("Thing_Make", self.make, {}),
                         ["Thing_Make: formats: render-target has no rows in plugin/manual/formats.tsv"])
        write(self.folder.name, "formats.tsv", "use\tname\tnumber\tnote\nrender-target\tA8R8G8B8\t21\t32-bit\n"
                                               "cube\tR5G6B5\n")
        formats, problems = read_formats(self.folder.name)
        self.assertEqual([(f.name, f.number) for f in formats["render-target"]], [("A8R8G8B8", 21)])
        self.assertEqual(len(problems), 1)
        self.assertIn("formats.tsv:3", problems[0])
        self.assertEqual(check_formats("Thing_Make", self.make, formats), [])

    def test_a_command_with_a_format_parameter_needs_a_formats_line(self):
        self.assertEqual(check_format_uses("Thing_Make", rows()[:2], self.make), [])
        self.make.formats = []
        self.assertEqual(check_format_uses("Thing_Make", rows()[:2], self.make),
                         ["Thing_Make: takes or gives a format but has no 'formats:' line"])
        self.assertEqual(check_format_uses("Thing_Delete", rows()[2:], self.delete), [])

    def test_every_shown_message_needs_a_remedy_and_no_entry_may_be_stale(self):
        failures = check_remedies(self.family, ["Thing %d does not exist", "Out of things", "Thing gone"])
        self.assertEqual([f.split(": ", 1)[1] for f in failures], [
            "the remedy for 'Out of things' only restates the message",
            "no '# Messages' entry for 'Thing gone'",
            "stale entry 'Never shown': no source of the family shows this text"])

    def test_lines_the_reader_cannot_place_are_problems(self):
        family = read_family(write(self.folder.name, "bad.md", """\
            # Bad
            ## Bad_Thing
              stray words
            see also: Bad_Other,
              Bad_Third
            - size: one
            - size: two
            # Messages
            do: orphan
            message: A
            Message: B
            message: A
            """))
        self.assertEqual(family.commands["Bad_Thing"].see_also, ["Bad_Other", "Bad_Third"])
        self.assertEqual([p.split(": ", 1)[1] for p in family.problems], [
            "an indented line that continues no field: 'stray words'", "Bad_Thing: second meaning for size", "'do:' without a 'message:' before it",
            "not a 'message:' or 'do:' line: 'Message: B'", "second entry for message 'A'"])
        self.assertEqual(check_remedies(family, ["A"])[0], f"{family.path}: no 'do:' for 'A'")

    def test_guides_keep_blank_lines_in_script_blocks_and_need_their_picture(self):
        path = write(self.folder.name, "guides/things.md", """\
            # Getting started with things
            picture: things.png
            Why things.
            ## Setting up
            Make one:
                t = Thing_Make(256)

                ` the engine draws it
            - A mistake, explained
              over two lines.
            ```
            """)
        guide = read_guide(path)
        self.assertEqual([(b.kind, b.line) for b in guide.blocks],
                         [("paragraph", 3), ("heading", 4), ("paragraph", 5), ("script", 6), ("item", 9)])
        self.assertEqual(guide.scripts()[0].lines, ["t = Thing_Make(256)", "", "` the engine draws it"])
        self.assertEqual(guide.blocks[-1].lines, ["A mistake, explained", "over two lines."])
        docs = os.path.join(self.folder.name, "docs")
        fenced = f"{path}:11: a fenced block: indent script lines four spaces instead, so the script runner reads them"
        self.assertEqual(check_guides({"things": guide}, ["things", "others"], docs), [
            "others: no getting-started guide (others/guide.md)",
            f"{path}: picture things.png is not in docs/", fenced])
        write(docs, "things.png", "png")
        guide.problems = []
        self.assertEqual(check_guides({"things": guide}, ["things"], docs), [])


class LoadingMessagesTest(unittest.TestCase):
    def test_one_message_per_host_library_and_no_unlisted_message_box(self):
        with tempfile.TemporaryDirectory() as root:
            write(root, "plugin/binders.h", 'inline constexpr const char* kFatalTitle = "Plugin";\n')
            binders = write(root, "plugin/binders.cpp", """\
                void ReportUnbound(const char* libraryName)
                {
                    char text[96];
                    std::snprintf(text, sizeof text, "Could not bind %s", libraryName);
                    ShowMessage(kFatalTitle, text);
                }
                constexpr HostLibrary kHostLibraries[] = {
                    {"One.dll", BindOne},
                    {"Two.dll", BindTwo},
                };
                """)
            self.assertEqual(loading_messages(root), ([("Plugin", "Could not bind One.dll"),
                                                       ("Plugin", "Could not bind Two.dll")], []))
            write(root, "plugin/protocol.cpp", 'void Load() { ShowMessage("Plugin", "Too old"); }\n')
            self.assertIn("plugin/protocol.cpp: 1 message box calls", loading_messages(root)[1][0])
            with open(binders, "w") as f:
                f.write("void ReportUnbound() {}\n")
            messages, problems = loading_messages(root)
            self.assertEqual(messages, [])
            self.assertIn("no longer where loading_messages.py reads it", problems[0])


if __name__ == "__main__":
    unittest.main()
