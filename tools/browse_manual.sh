#!/usr/bin/env bash
# Opens the generated command reference in headless Chromium, as a game maker's browser would:
# - screenshots of the index, two command pages (one with the longest syntax line) and a guide,
#   into the folder given second;
# - every link on the index leads to a generated page and, where it names one, to an anchor on it;
# - index.html?q=SetMesh leaves only the rows and A to Z entries whose name holds "setmesh" visible
#   (the others carry the hidden attribute);
# - no page of the reference scrolls sideways in a window 1100 pixels wide, nor in one 420 pixels wide
#   (a docked help pane); a table may scroll inside its own box there, the page may not;
# - screenshots of a command page and a guide at 420 pixels too.
#   tools/browse_manual.sh build/manual build/screenshots
# Each check counts as passed or failed, so the script goes on after a failure (no set -e).
set -uo pipefail
reference=$(cd "$1" && pwd) || exit 1
shots=$2
mkdir -p "$shots"
shots=$(cd "$shots" && pwd) || exit 1
command -v chromium >/dev/null || { echo "browse_manual: chromium is missing (tools/setup.sh installs it)"; exit 1; }

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
browse() { # browse <url> <chromium action...>
    local url=$1
    shift
    timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$profile" --hide-scrollbars "$@" "$url" 2>/dev/null
}

failed=0
passed=0
expect() { # expect <condition-status> <what>
    if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $2"; fi
}

# The guides are required by check_manual.py; here the first one, if any, is photographed.
guide=$(cd "$reference" && ls guides/*.html 2>/dev/null | head -1)
[ -n "$guide" ] || echo "browse_manual: no guide pages yet, so no guide screenshot"
for page in index.html commands/MRT_Sync.html commands/Shader_SetMatrixTransposeVal.html $guide; do
    name=reference_$(basename "$page" .html).png
    [ "${page%%/*}" = guides ] && name=guide_$(basename "$page" .html).png
    rm -f "$shots/$name"
    browse "file://$reference/$page" --window-size=1100,1400 --screenshot="$shots/$name" >/dev/null || true
    size=$(stat -c %s "$shots/$name" 2>/dev/null || echo 0)
    # A blank page of this size compresses to a few kilobytes; text and tables make far more.
    [ "$size" -gt 20000 ]; expect $? "$page: screenshot missing or blank ($size bytes)"
    if [ "$page" != index.html ]; then
        browse "file://$reference/$page" --window-size=420,1400 --screenshot="$shots/narrow_$name" >/dev/null || true
    fi
done

# The index as the browser parsed it: its links, each checked against the generated files.
dom=$(browse "file://$reference/index.html" --dump-dom)
# Here-strings, not pipes: under pipefail a grep -q that stops reading early fails the pipeline.
grep -q "<h1>Ryxo command reference</h1>" <<< "$dom"; expect $? "index.html: the browser did not render its heading"
links=$(echo "$dom" | grep -o 'href="\(commands\|guides\)/[^"]*"\|href="\(loading\|script_language\).html"' | sed 's/^href="//; s/"$//' | sort -u)
count=0
for link in $links; do
    count=$((count + 1))
    file=${link%%#*}
    anchor=${link#*#}
    [ -f "$reference/$file" ]; expect $? "index links to $file, which was not generated"
    if [ "$anchor" != "$link" ] && [ -f "$reference/$file" ]; then
        grep -q "id=\"$anchor\"" "$reference/$file"; expect $? "index links to $link, which has no such anchor"
    fi
done
[ "$count" -gt 0 ]; expect $? "index.html has no command links"

# The search, given in the address: only entries whose name holds the query stay visible.
browse "file://$reference/index.html?q=SetMesh" --dump-dom > "$profile/search.html" || true
python3 - "$profile/search.html" SetMesh <<'EOF'; expect $? "the search given as ?q= in the address"
import sys
from html.parser import HTMLParser

class Entries(HTMLParser):
    def __init__(self):
        super().__init__()
        self.entries = []  # (tag, name, hidden)
    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if "data-name" in a:
            self.entries.append((tag, a["data-name"], "hidden" in a))

parser = Entries()
parser.feed(open(sys.argv[1], encoding="utf-8").read())
query = sys.argv[2].lower()
wrong = [f"{tag} {name} {'hidden' if hidden else 'shown'}" for tag, name, hidden in parser.entries
         if hidden == (query in name.lower())]
shown = [name for tag, name, hidden in parser.entries if not hidden]
a_to_z = [e for e in parser.entries if e[0] == "li"]
problems = []
if wrong:
    problems.append("index.html?q=" + sys.argv[2] + ": wrongly " + "; ".join(wrong[:5]))
if not shown:
    problems.append("index.html?q=" + sys.argv[2] + ": no entry stays visible")
if len(a_to_z) != len([e for e in parser.entries if e[0] == "tr"]):
    problems.append(f"index.html: the A to Z list has {len(a_to_z)} entries, the family tables another count")
for p in problems:
    print("FAILED:", p)
print(f"search: {len(parser.entries)} entries, {len(shown)} visible for {sys.argv[2]!r}")
sys.exit(1 if problems else 0)
EOF

# Every page in windows 1100 and 420 pixels wide: no element wider than its box (a syntax line, a
# table), unless the box scrolls its content itself. A page of ours loads each page in turn into a
# frame of each width and writes what overflows.
pages=$(cd "$reference" && ls index.html loading.html script_language.html commands/*.html guides/*.html 2>/dev/null | sed 's/.*/"&"/' | paste -sd,)
cat > "$profile/measure.html" <<EOF
<!DOCTYPE html><html><body style="margin:0">
<iframe id="frame" style="width:1100px;height:900px;border:0"></iframe>
<pre id="out"></pre>
<script>
var base = "file://$reference/", pages = [$pages], widths = [1100, 420], at = 0, w = 0, out = [];
var frame = document.getElementById("frame");
frame.addEventListener("load", function () {
    var all = frame.contentDocument.querySelectorAll("*"), wide = [];
    for (var i = 0; i < all.length; i++) {
        var e = all[i], scrolls = /auto|scroll/.test(frame.contentWindow.getComputedStyle(e).overflowX);
        if (e.clientWidth > 0 && e.scrollWidth > e.clientWidth + 1 && !scrolls)
            wide.push(e.tagName.toLowerCase() + (e.className ? "." + e.className : "")
                      + " " + e.scrollWidth + " px in " + e.clientWidth);
    }
    if (wide.length) out.push("WIDE at " + widths[w] + " px " + pages[at] + ": " + wide.join(", "));
    if (++at == pages.length && ++w < widths.length) {
        at = 0;
        frame.style.width = widths[w] + "px";
    }
    if (at < pages.length && w < widths.length) frame.src = base + pages[at];
    else document.getElementById("out").textContent = out.join("\n") + "\nmeasured " + pages.length + " pages";
});
frame.src = base + pages[0];
</script></body></html>
EOF
measured=$(browse "file://$profile/measure.html" --allow-file-access-from-files --virtual-time-budget=240000 --dump-dom || true)
grep -q "measured [0-9]* pages" <<< "$measured"; expect $? "the pages could not be measured at 1100 and 420 pixels"
echo "$measured" | grep "^WIDE" | sed 's/^/FAILED: /; s/&gt;/>/g' || true
for width in 1100 420; do
    wide=$(echo "$measured" | grep -c "^WIDE at $width " || true)
    [ "$wide" -eq 0 ]; expect $? "$wide pages scroll sideways at $width pixels"
done

echo "browse_manual: $count links checked, screenshots in $shots"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
