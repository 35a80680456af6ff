"""The pages as generated from small fixtures: meanings, result, formats, remedies, see also and
the developers' footer on a command page; the A to Z list and search marks on the index; a guide's
picture, headings and script comments; links and markup in prose."""
import os
import re
import tempfile
import unittest

from command_page import command_page
from descriptions import read_family
from formats import Format
from guides import read_guide
from guide_page import guide_page
from index_page import index_page
from page_html import Linker
from test_manual_checks import FAMILY, rows, write


class PagesTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.family = read_family(write(self.folder.name, "things.md", FAMILY))
        self.linker = Linker(["Thing_Make", "Thing_Delete"], 1)

    def tearDown(self):
        self.folder.cleanup()

    def test_a_command_page_shows_meanings_formats_remedies_see_also_and_its_rows_in_the_footer(self):
        page = command_page("Thing_Make", rows()[:2], self.family.commands["Thing_Make"], self.family,
                            [("Thing_Make Error", "Thing %d does not exist")],
                            {"render-target": [Format("A8R8G8B8", 21, "32-bit colour")]}, None, self.linker)
        self.assertIn("<pre class=\"syntax\">thing = Thing_Make(size, format)</pre>", page)
        self.assertIn("<td>A D3DFORMAT number from the table below; 0 takes the screen&#x27;s format.</td>", page)
        self.assertIn("<tr><td><code>thing</code></td><td>Integer</td><td>Handle of the new thing for "
                      "<a href=\"../commands/Thing_Delete.html\">Thing_Delete</a>, or 0", page)
        self.assertIn("<tr><td><code>A8R8G8B8</code></td><td>21</td><td>32-bit colour</td></tr>", page)
        self.assertIn("<td>Thing <var>number</var> does not exist</td><td>Make it first with Thing_Make and keep", page)
        self.assertIn("<li><a href=\"Thing_Delete.html\">Thing_Delete</a></li>", page)
        self.assertIn("Requirements:</strong> Room for <a href=\"../commands/Thing_Delete.html\">Thing_Delete</a>. "
                      "Like every Ryxo command it needs <code>d3dx9_35.dll</code>", page)
        footer = page[page.index("<footer>"):]
        self.assertIn("row 2 <code>Thing_Make[%LLL%Thing_MakeFormat%</code> export <code>Thing_MakeFormat</code>", footer)
        main = page[:page.index("<footer>")]
        self.assertNotIn("%LL", main)
        self.assertEqual(re.findall(r'id="(\w+)"', main), ["Thing_Make", "Thing_MakeFormat"])

    def test_a_command_page_marks_what_is_missing(self):
        page = command_page("Thing_Delete", rows()[2:], None, self.family, [("E", "Out of cake")], {}, None,
                            self.linker)
        self.assertIn("No meaning yet.", page)
        self.assertIn("No remedy yet.", page)
        self.assertIn("No related commands listed yet.", page)
        self.assertIn("Requirements:</strong> A card that draws things. Like every", page)

    def test_the_index_lists_every_row_from_a_to_z_with_search_marks(self):
        page = index_page(["things"], rows(), {"things": self.family}, {}, {}, Linker(["Thing_Make"], 0))
        a_to_z = re.findall(r'<li data-name="(\w+)"><a href="([^"]+)">', page)
        self.assertEqual(a_to_z, [("Thing_Delete", "commands/Thing_Delete.html#Thing_Delete"),
                                  ("Thing_Make", "commands/Thing_Make.html#Thing_Make"),
                                  ("Thing_Make", "commands/Thing_Make.html#Thing_MakeFormat")])
        self.assertEqual(len(re.findall(r'<tr data-name="', page)), 3)
        self.assertIn("(size, format)</span>", page)
        self.assertIn('id="search"', page)
        self.assertIn("new URLSearchParams(window.location.search).get(\"q\")", page)
        self.assertIn('href="loading.html"', page)

    def test_a_guide_page_shows_its_picture_headings_and_scripts(self):
        guide = read_guide(write(self.folder.name, "guides/things.md", """\
            # Things step by step
            picture: things.png
            ## Setting up
            ### First
            Make **one** with `Thing_Make`.
                t = Thing_Make(8) ` the handle
            - Not deleting it.
            """))
        page = guide_page(guide, "Things", self.linker)
        self.assertIn('<img src="../pictures/things.png"', page)
        self.assertIn("<h2>Setting up</h2>\n<h3>First</h3>", page)
        self.assertIn("Make <strong>one</strong> with <code><a href=\"../commands/Thing_Make.html\">", page)
        self.assertIn("t = <a href=\"../commands/Thing_Make.html\">Thing_Make</a>(8) "
                      "<span class=\"comment\">` the handle</span></pre>", page)
        self.assertIn("<ul>\n<li>Not deleting it.</li>\n</ul>", page)

    def test_prose_links_whole_command_names_only_and_not_the_page_itself(self):
        linker = Linker(["Poke Vec3", "Thing_Make"], 0)
        self.assertEqual(linker.prose("Thing_Make, Thing_MakeX and Poke Vec3", skip="Thing_Make"),
                         "Thing_Make, Thing_MakeX and <a href=\"commands/Poke_Vec3.html\">Poke Vec3</a>")
        self.assertEqual(linker.script('a$ = "` no comment" ` comment'),
                         "a$ = &quot;` no comment&quot; <span class=\"comment\">` comment</span>")


if __name__ == "__main__":
    unittest.main()
