#!/usr/bin/env bash
# The package step against stand-in `apt-get` and `dpkg` on PATH that answer as each row scripts:
# which apt calls are made, on which sources, with what exit and message.
set -uo pipefail
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/bin" "$work/etc/sources.list.d"
cat >"$work/etc/sources.list.d/debian.sources" <<'SOURCES'
Types: deb
URIs: http://archive.test/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /keys/archive.gpg

Types: deb
URIs: http://archive.test/debian-security
Suites: bookworm-security
Components: main
Signed-By: /keys/archive.gpg
SOURCES

# dpkg: the packages named in FAKE_INSTALLED are installed; i386 is known.
cat >"$work/bin/dpkg" <<'FAKE'
#!/usr/bin/env bash
case "$1" in
    -s) [[ " $FAKE_INSTALLED " == *" $2 "* ]] ;;
    --print-foreign-architectures) echo i386 ;;
    *) exit 0 ;;
esac
FAKE
# apt-get: logs each call as "update", "install", "update@private" or "install@private"; a call
# named in FAKE_FAILING fails (an update naming the security suite's index, as apt does).
cat >"$work/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
where=""
for a in "$@"; do
    case "$a" in
        Dir::Etc::sourcelist=*) where=@private; cp "${a#*=}" "$FAKE_LOG.sources" ;;
        update|install) verb=$a ;;
    esac
done
echo "$verb$where" >>"$FAKE_LOG"
if [[ " $FAKE_FAILING " == *" $verb$where "* ]]; then
    [ "$verb" = update ] && echo "E: Failed to fetch http://archive.test/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size"
    exit 100
fi
FAKE
chmod +x "$work/bin/"*

failures=0
# name | installed | failing calls | expected calls | expected exit | expected message (grep -E)
while IFS='|' read -r name installed failing calls status message; do
    [ -n "$name" ] || continue
    rm -rf "$work/out" && mkdir -p "$work/out"
    log="$work/out/calls"
    : >"$log"
    out=$(PATH="$work/bin:$PATH" FAKE_INSTALLED="$installed" FAKE_FAILING="$failing" FAKE_LOG="$log" \
          PACKAGES_APT_ETC="$work/etc" PACKAGES_WORK="$work/out/setup" \
          bash -c '. "$1/tools/packages.sh" && packages_install wine wine32:i386 cmake' _ "$root" 2>&1)
    got_status=$?
    got_calls=$(tr '\n' ' ' <"$log" | sed 's/ $//')
    problems=()
    [ "$got_calls" = "$calls" ] || problems+=("calls: expected '$calls', saw '$got_calls'")
    [ "$got_status" -eq "$status" ] || problems+=("exit: expected $status, saw $got_status")
    echo "$out" | grep -Eq "$message" || problems+=("no message matching '$message' in: $out")
    [ ! -d "$work/out/setup/apt-without-failed-suites" ] || problems+=("the private apt state was left behind")
    if [[ "$calls" == *@private* ]]; then
        sources=$(cat "$log.sources")
        [[ "$sources" != *bookworm-security* && "$sources" == *"[signed-by=/keys/archive.gpg] http://archive.test/debian bookworm-updates main"* ]] \
            || problems+=("private sources should be the machine's less bookworm-security: $sources")
    fi
    if [ ${#problems[@]} -eq 0 ]; then
        echo "ok   $name"
    else
        failures=$((failures + 1))
        printf 'FAIL %s\n' "$name"
        printf '     %s\n' "${problems[@]}"
    fi
done <<'ROWS'
nothing missing|wine wine32:i386 cmake|||0|^$
update fails, install succeeds|cmake|update|update install|0|warning: apt-get update failed for bookworm-security.*update\.log
install fails, the fallback succeeds|cmake|update install|update install update@private install@private|0|installed wine wine32:i386 from a sources list without bookworm-security
everything fails|cmake|update install update@private install@private|update install update@private install@private|1|failed to install wine wine32:i386 from a sources list without bookworm-security .*see .*/setup/fallback-install\.log
install fails with every index there|cmake|install|update install|1|failed to install wine wine32:i386 .*see .*/setup/install\.log
ROWS
exit $((failures > 0))
