"""The script checker on good lines and on lines broken each way the manual must not show."""
import unittest

from command_rows import Row
from script_check import ScriptChecker, check_block


def row(text_id, name, returns, params):
    return Row(text_id, "", name, returns, params, name.replace(" ", ""), "fixture")


ROWS = [
    row(1, "Poke Vec3", "", "LFFF"),
    row(2, "GeoInst_MakeNew", "L", ""),
    row(3, "GeoInst_SetScale", "", "LLFFF"),
    row(4, "GeoInst_SetScale", "", "LLF"),
    row(5, "GeoInst_Update", "", "L"),
    row(6, "GeoInst_GetDrawCount", "L", "L"),
    row(7, "GeoInst_SortRenderQueue", "", ""),
    row(8, "Shader_GetParameterByName", "L", "LLS"),
    row(9, "Object_GetShaderPtr", "L", "LL"),
]

GOOD = [
    "trees = GeoInst_MakeNew()",
    "GeoInst_SetScale trees, n, 100, 150, 100",
    "GeoInst_SetScale trees, n, 80",
    "Poke Vec3 address, 0.0, -1.0, 0.5e2",
    "GeoInst_SortRenderQueue",
    "GeoInst_Update (trees)",
    "if GeoInst_GetDrawCount(trees) = 0 then GeoInst_Update trees",
    "if GeoInst_GetDrawCount(trees) > 0 and n <> 3 then message$ = \"drawn\" else GeoInst_Update trees",
    "if x# >= 1.5",
    "if GeoInst_GetDrawCount(trees) = 0 then exit",
    "colour = Shader_GetParameterByName(Object_GetShaderPtr(1, 0), 0, \"Color\")",
    "total = total + GeoInst_GetDrawCount(sets(i)) * 2",
    "for i = 1 to GeoInst_GetDrawCount(trees) step 2",
    "next i",
    "do",
    "loop",
    "while GeoInst_GetDrawCount(trees) < 10",
    "endwhile",
    "endif",
    "GeoInst_Update trees ` GeoInst_Nothing in a comment is not checked",
    "rem GeoInst_Nothing 1, 2 in a rem line is not checked",
    "` object 1: a cube with the instancing effect applied to it",
    "text$ = \"GeoInst_Nothing(1) in a string is not a call\"",
    "mask = 0xFF000040 + %101",
    "",
]

BROKEN = [
    ("GeoInst_Nothing trees", "GeoInst_Nothing is not a command of the table"),
    ("n = GeoInst_GetDrawcount(trees)", "GeoInst_GetDrawcount is not a command of the table"),
    ("Poke Vec5 address, 1, 2", "Poke Vec5 is not a command of the table"),
    ("GeoInst_SetScale trees, n, 100, 150", "GeoInst_SetScale as a statement takes 3 or 5 arguments, not 4"),
    ("Poke Vec3 address, 1, 2", "Poke Vec3 as a statement takes 4 arguments, not 3"),
    ("n = GeoInst_GetDrawCount(trees, 1)", "GeoInst_GetDrawCount as a value takes 1 arguments, not 2"),
    ("x = GeoInst_Update(trees)", "GeoInst_Update gives no result and cannot be used as a value"),
    ("if GeoInst_SortRenderQueue() = 0 then x = 1", "GeoInst_SortRenderQueue gives no result"),
    ("GeoInst_MakeNew()", "GeoInst_MakeNew gives a result and has no statement form"),
    ("GeoInst_GetDrawCount trees", "GeoInst_GetDrawCount gives a result and has no statement form"),
    ("if x = 1 then GeoInst_GetDrawCount trees", "GeoInst_GetDrawCount gives a result and has no statement form"),
    ("GeoInst_SetScale(trees, n, 80)", "takes its arguments without parentheses"),
    ("trees = GeoInst_MakeNew", "needs its arguments in parentheses"),
    ("x = Object_GetShaderPtr(1, GeoInst_MakeNew(2))", "GeoInst_MakeNew as a value takes 0 arguments, not 1"),
    ("GeoInst_Update trees,", "an argument is missing"),
    ("GeoInst_SetScale trees,, 80", "an argument is missing"),
    ("x = GeoInst_GetDrawCount(trees", "a parenthesis is not closed"),
    ("text$ = \"not closed", "unterminated string"),
    ("position object 1, 0, 0, 0", "not a statement of the manual's script language"),
    ("for i = 1", "a for line reads"),
]


class ScriptCheckTest(unittest.TestCase):
    def setUp(self):
        self.checker = ScriptChecker(ROWS)

    def test_good_lines_pass(self):
        for line in GOOD:
            with self.subTest(line=line):
                self.assertIsNone(self.checker.check_line(line))

    def test_broken_lines_fail_with_their_reason(self):
        for line, reason in BROKEN:
            with self.subTest(line=line):
                problem = self.checker.check_line(line)
                self.assertIsNotNone(problem)
                self.assertIn(reason, problem)

    def test_a_block_reports_file_and_line_of_each_failure(self):
        block = ["trees = GeoInst_MakeNew()", "GeoInst_Update trees, 1", "", "GeoInst_Nothing"]
        failures = check_block(self.checker, block, 20, "guides/instancing.md")
        self.assertEqual([f.split(": ")[0] for f in failures],
                         ["guides/instancing.md:21", "guides/instancing.md:23"])

    def test_a_name_with_both_forms_takes_each_count_in_its_own_form(self):
        checker = ScriptChecker(ROWS + [row(10, "GeoInst_Both", "L", "L"), row(11, "GeoInst_Both", "", "LL")])
        self.assertIsNone(checker.check_line("x = GeoInst_Both(1)"))
        self.assertIsNone(checker.check_line("GeoInst_Both 1, 2"))
        self.assertIn("not 1", checker.check_line("GeoInst_Both 1"))
        self.assertIn("not 2", checker.check_line("x = GeoInst_Both(1, 2)"))


if __name__ == "__main__":
    unittest.main()
