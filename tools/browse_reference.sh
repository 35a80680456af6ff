#!/usr/bin/env bash
# Opens the generated command reference in headless Chromium, as a game maker's browser would:
# screenshots of the index and of one command page (into the folder given second), and every link
# on the index must lead to a generated page and, where it names one, to an anchor on it.
#   tools/browse_reference.sh build/command_reference build/screenshots
set -euo pipefail
reference=$(cd "$1" && pwd)
shots=$2
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
command -v chromium >/dev/null || { echo "browse_reference: chromium is missing (tools/setup.sh installs it)"; exit 1; }

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

for page in index.html commands/MRT_Sync.html; do
    name=reference_$(basename "$page" .html).png
    rm -f "$shots/$name"
    browse "file://$reference/$page" --window-size=1100,1400 --screenshot="$shots/$name" >/dev/null || true
    size=$(stat -c %s "$shots/$name" 2>/dev/null || echo 0)
    # A blank page of this size compresses to a few kilobytes; text and tables make far more.
    [ "$size" -gt 20000 ]; expect $? "$page: screenshot missing or blank ($size bytes)"
done

# The index as the browser parsed it: its links, each checked against the generated files.
dom=$(browse "file://$reference/index.html" --dump-dom)
echo "$dom" | grep -q "<h1>Ryxo command reference</h1>"; expect $? "index.html: the browser did not render its heading"
links=$(echo "$dom" | grep -o 'href="commands/[^"]*"' | sed 's/^href="//; s/"$//' | sort -u)
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
echo "browse_reference: $count links checked, screenshots in $shots"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
