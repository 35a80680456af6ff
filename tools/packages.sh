# Sourced: the one package step every install of the project goes through.
#   packages_install PKG...              installs on the machine the packages that are missing
#   packages_download DIR SUITE PKG...   downloads the packages of SUITE into DIR, installing nothing
#
# The archive drifts: an index can fail to download (a mirror in sync) and the versions left can lag
# the installed ones, so that an install cannot resolve. A failed `apt-get update` is therefore a
# warning; when the install then fails, it is tried again on a private apt state under build/ whose
# sources are the machine's own less the suites whose index failed. The machine's apt configuration
# never changes; the private state is removed afterwards. Every failure names what was tried and its
# log; the last one ends the caller with a non-zero exit.
#
# Overridable for tests: PACKAGES_APT_ETC (the machine's apt configuration folder), PACKAGES_WORK
# (where logs and private states go).

PACKAGES_ROOT=${PACKAGES_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
PACKAGES_APT_ETC=${PACKAGES_APT_ETC:-/etc/apt}
PACKAGES_WORK=${PACKAGES_WORK:-$PACKAGES_ROOT/build/setup}

packages_warn() { echo "setup: warning: $*" >&2; }
packages_fail() { echo "setup: failed to $*" >&2; return 1; }

packages_sudo() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The suites whose index apt could not fetch, one a line, as its log names them.
packages_failed_suites() {
    sed -n 's#.*Failed to fetch [^ ]*/dists/\([^/ ]*\)/.*#\1#p' "$1" | sort -u
}

# Writes the machine's sources (one-line .list files and deb822 .sources files) as one one-line
# list, leaving out the suites given after the output file and every disabled stanza.
packages_write_sources() {
    local out=$1
    shift
    local excluded=" $* "
    : >"$out"
    local file
    for file in "$PACKAGES_APT_ETC/sources.list" "$PACKAGES_APT_ETC"/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        awk -v excluded="$excluded" '
            /^[[:space:]]*deb/ {
                n = split($0, word, /[[:space:]]+/); i = 2
                if (word[i] ~ /^\[/) { while (word[i] !~ /\]$/) i++; i++ }
                if (index(excluded, " " word[i + 1] " ")) next
                print
            }' "$file" >>"$out"
    done
    for file in "$PACKAGES_APT_ETC"/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk -v excluded="$excluded" '
            function flush(   t, u, s, nt, nu, ns, types, uris, suites, options) {
                if (field["types"] != "" && tolower(field["enabled"]) != "no") {
                    options = ""
                    if (field["signed-by"] != "") options = options " signed-by=" field["signed-by"]
                    if (field["architectures"] != "") options = options " arch=" field["architectures"]
                    if (options != "") options = "[" substr(options, 2) "] "
                    nt = split(field["types"], types, " "); nu = split(field["uris"], uris, " ")
                    ns = split(field["suites"], suites, " ")
                    for (t = 1; t <= nt; t++) for (u = 1; u <= nu; u++) for (s = 1; s <= ns; s++)
                        if (!index(excluded, " " suites[s] " "))
                            print types[t] " " options uris[u] " " suites[s] " " field["components"]
                }
                delete field
            }
            /^[[:space:]]*#/ { next }
            /^[[:space:]]*$/ { flush(); next }
            /^[A-Za-z-]+:/ {
                name = tolower(substr($0, 1, index($0, ":") - 1))
                value = substr($0, index($0, ":") + 1)
                gsub(/^[[:space:]]+|[[:space:]]+$/, "", value); gsub(/[[:space:]]+/, " ", value)
                field[name] = value
            }
            END { flush() }' "$file" >>"$out"
    done
}

# Makes a private apt state in $1 whose sources are the file $2; prints nothing. The options for
# apt-get are left in the array packages_private.
packages_private_state() {
    local state=$1 sources=$2
    rm -rf "$state"
    mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$state/empty"
    cp "$sources" "$state/sources.list"
    packages_private=(-o Dir::Etc::sourcelist="$state/sources.list" -o Dir::Etc::sourceparts="$state/empty"
                      -o Dir::State::Lists="$state/lists" -o Dir::Cache="$state/cache")
}

# Runs the given apt-get command's update; a failure is a warning. Leaves the log in $1.
packages_update() {
    local log=$1
    shift
    if ! "$@" update >"$log" 2>&1; then
        local failed
        failed=$(packages_failed_suites "$log" | tr '\n' ' ')
        packages_warn "apt-get update failed${failed:+ for ${failed% }}; going on with the indexes there are (see $log)"
    fi
}

packages_apt_install() {
    local log=$1
    shift
    DEBIAN_FRONTEND=noninteractive packages_sudo apt-get "$@" install -y -q --no-install-recommends \
        "${packages_wanted[@]}" >"$log" 2>&1
}

packages_install() {
    local missing=() p
    for p in "$@"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    mkdir -p "$PACKAGES_WORK"
    local logs=$PACKAGES_WORK
    echo "setup: installing ${missing[*]}" >&2
    case " ${missing[*]} " in
        *:i386\ *)
            dpkg --print-foreign-architectures | grep -qx i386 || packages_sudo dpkg --add-architecture i386 ;;
    esac
    packages_wanted=("${missing[@]}")

    packages_update "$logs/update.log" packages_sudo apt-get
    packages_apt_install "$logs/install.log" && return 0

    local failed
    failed=$(packages_failed_suites "$logs/update.log" | tr '\n' ' ')
    if [ -z "$failed" ]; then
        packages_fail "install ${missing[*]} (apt-get install; see $logs/install.log)"
        return 1
    fi
    packages_warn "apt-get install failed (see $logs/install.log); trying again without ${failed% }"
    local state="$PACKAGES_WORK/apt-without-failed-suites"
    packages_write_sources "$logs/fallback.sources.list" $failed
    packages_private_state "$state" "$logs/fallback.sources.list"
    packages_update "$logs/fallback-update.log" packages_sudo apt-get "${packages_private[@]}"
    if ! packages_apt_install "$logs/fallback-install.log" "${packages_private[@]}"; then
        rm -rf "$state"
        packages_fail "install ${missing[*]} from a sources list without ${failed% } (apt-get install on a private state; see $logs/fallback-install.log)"
        return 1
    fi
    rm -rf "$state"
    echo "setup: installed ${missing[*]} from a sources list without ${failed% }" >&2
}

# Downloads the .deb files of PKG... from SUITE of the machine's archive (main) into DIR, on a private
# apt state.
packages_download() {
    local dest=$1 suite=$2
    shift 2
    mkdir -p "$PACKAGES_WORK" "$dest"
    local logs=$PACKAGES_WORK state="$PACKAGES_WORK/apt-$suite"
    local uri keyring
    # The machine's own archive and keyring (its first deb822 entry), with SUITE as the suite.
    uri=$(sed -n 's/^URIs:[[:space:]]*//p' "$PACKAGES_APT_ETC"/sources.list.d/*.sources 2>/dev/null | head -n1)
    keyring=$(sed -n 's/^Signed-By:[[:space:]]*//p' "$PACKAGES_APT_ETC"/sources.list.d/*.sources 2>/dev/null | head -n1)
    uri=${uri:-http://deb.debian.org/debian}
    keyring=${keyring:-/usr/share/keyrings/debian-archive-keyring.gpg}
    echo "deb [signed-by=$keyring] $uri $suite main" >"$logs/$suite.sources.list"
    packages_private_state "$state" "$logs/$suite.sources.list"
    packages_private+=(-o Dir::Etc::preferencesparts="$state/empty" -o Debug::NoLocking=1)
    packages_private+=(-o APT::Architectures::=i386)

    packages_update "$logs/$suite-update.log" apt-get "${packages_private[@]}"
    if ! (cd "$dest" && apt-get "${packages_private[@]}" download -q "$@") >"$logs/$suite-download.log" 2>&1; then
        rm -rf "$state"
        packages_fail "download $* from $suite (apt-get download on a private state; see $logs/$suite-download.log)"
        return 1
    fi
    rm -rf "$state"
}
