"""The message scanner on small sources, one for each way a message text reaches ShowMessage."""
import unittest

from message_scan import Scan

SOURCE = r'''
#define TITLE_OF(name) name " Error"
#define SET_TITLE TITLE_OF("Thing_Set")
constexpr const char kGone[] = "The thing is gone";

void Refuse(const char* title) { ShowMessage(title, kGone); }

bool Check(int value, const char* failureText)
{
    if (value < 0)
        ShowMessage("Draw Error", failureText);
    return value >= 0;
}

RYXO_COMMAND Thing_Set(int thing, int value)
{
    Refuse(SET_TITLE);
    char text[64];
    std::snprintf(text, sizeof(text), "Value %d is too big", value);
    ShowMessage("ERROR", text);
    Check(value, "Failed to draw");
    const char* title = value ? "A" : "B";
    ShowMessage(title, "chosen"); // a comment with ShowMessage("x", "y") is not a call
    return 0;
}

RYXO_COMMAND Thing_Quiet(int thing) { return thing; }

RYXO_COMMAND Thing_Built(int thing)
{
    std::string text = "Thing ";
    text += std::to_string(thing);
    ShowMessage("ERROR", text.c_str());
    return 0;
}
'''


class MessageScanTest(unittest.TestCase):
    def setUp(self):
        self.scan = Scan([("family/thing_commands.cpp", SOURCE)])

    def test_follows_every_way_a_text_reaches_the_call(self):
        self.assertEqual(self.scan.commands(), ["Thing_Built", "Thing_Quiet", "Thing_Set"])
        self.assertEqual(self.scan.messages_of("Thing_Set"), [
            ("A", "chosen"), ("B", "chosen"), ("Draw Error", "Failed to draw"),
            ("ERROR", "Value %d is too big"), ("Thing_Set Error", "The thing is gone")])
        self.assertEqual(self.scan.messages_of("Thing_Quiet"), [])

    def test_reports_a_text_it_cannot_follow(self):
        self.assertEqual(self.scan.messages_of("Thing_Built"), [])
        self.assertEqual(self.scan.unresolved, [("family/thing_commands.cpp:33", "text . c_str ( )")])
        self.assertEqual(len(self.scan.sites), 5)


if __name__ == "__main__":
    unittest.main()
