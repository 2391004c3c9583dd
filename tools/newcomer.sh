#!/usr/bin/env bash
# Tries the README's two commands as a newcomer would, on a freshly
# bootstrapped Debian 12 that holds nothing but minbase, git, make,
# ca-certificates and sudo: a clone of the commit under test, then
# `make test`, then `make run` under the offscreen platform until the program
# is up. Anything the set-up forgets to install fails here, not on a
# newcomer's machine.
#
#   tools/newcomer.sh          (as root, or it asks sudo; `make newcomer`)
#
# The bootstrapped system is cached in $NEWCOMER_CACHE (outside the clone) and
# made again when the mirror or the package set changes, or after
# $NEWCOMER_MAX_AGE_DAYS; every run works on a fresh copy of it, as a user
# with sudo rights, and the packages apt downloads are kept there for the next
# run. WERROR=1 (NEWCOMER_WERROR) runs `make test WERROR=1` there, as CI does.
#
# This machine's compiler cache is lent to the build read-only (ccache, when
# this machine has it; NEWCOMER_CCACHE=off turns it off, or names another
# cache folder), so that the objects this machine already compiled are not
# compiled again. It cannot hide a missing package: CMake's checks run for
# real, ccache takes an object only when every header it was made from is
# there with the same contents (else it runs the preprocessor, which fails on
# a missing header), and linking and the tests run for real. Nothing the
# fresh system compiles goes back into the cache. The mirror is the one this machine's own apt sources name for the suite
# ($NEWCOMER_MIRROR overrides it). Each step's output goes to a log folder
# (printed); a failing step shows its last lines. The run happens in a mount
# namespace of its own, so the chroot's mounts are never seen outside it and
# cannot outlive it; on the way out, even after a failure or an interrupt,
# everything is unmounted and, once nothing is mounted any more, removed.
set -euo pipefail

SUITE=bookworm
RELEASE="Debian 12 ($SUITE)"
INCLUDE=git,make,ca-certificates,sudo
CACHE=${NEWCOMER_CACHE:-/var/cache/miniarca-newcomer}
MAX_AGE_DAYS=${NEWCOMER_MAX_AGE_DAYS:-30}
TEST_TIMEOUT=${NEWCOMER_TEST_TIMEOUT:-5400} # seconds for `make test`: CI's own limit
START_TIMEOUT=${NEWCOMER_START_TIMEOUT:-900} # seconds for `make run` to start the program
UP_SECONDS=5                                 # how long the program must stay up
USER_NAME=newcomer
PROGRAM=miniarca
TAIL_LINES=60

say() { printf 'newcomer: %s\n' "$*"; }
die() {
    say "$*" >&2
    exit 1
}

if [ "$(id -u)" != 0 ]; then
    # The cache to lend is the calling user's, not root's.
    if [ -z "${NEWCOMER_CCACHE:-}" ] && command -v ccache >/dev/null 2>&1; then
        NEWCOMER_CCACHE=$(ccache -k cache_dir) && export NEWCOMER_CCACHE
        NEWCOMER_CCACHE_SLOPPINESS=$(ccache -k sloppiness) && export NEWCOMER_CCACHE_SLOPPINESS
        NEWCOMER_CCACHE_COMPILERCHECK=$(ccache -k compiler_check) && export NEWCOMER_CCACHE_COMPILERCHECK
    fi
    exec sudo --preserve-env=NEWCOMER_CACHE,NEWCOMER_MIRROR,NEWCOMER_MAX_AGE_DAYS,NEWCOMER_TEST_TIMEOUT,NEWCOMER_START_TIMEOUT,NEWCOMER_WERROR,NEWCOMER_CCACHE,NEWCOMER_CCACHE_SLOPPINESS,NEWCOMER_CCACHE_COMPILERCHECK \
        "$0" "$@"
fi
if [ -z "${NEWCOMER_CCACHE:-}" ] && command -v ccache >/dev/null 2>&1; then
    NEWCOMER_CCACHE=$(ccache -k cache_dir)
    NEWCOMER_CCACHE_SLOPPINESS=$(ccache -k sloppiness)
    NEWCOMER_CCACHE_COMPILERCHECK=$(ccache -k compiler_check)
fi
NEWCOMER_CCACHE_SLOPPINESS=${NEWCOMER_CCACHE_SLOPPINESS:-}
NEWCOMER_CCACHE_COMPILERCHECK=${NEWCOMER_CCACHE_COMPILERCHECK:-mtime}
case "${NEWCOMER_CCACHE:-off}" in
off | no | 0 | "") lend_ccache= ;;
*) lend_ccache=$NEWCOMER_CCACHE ;;
esac
[ -z "$lend_ccache" ] || [ -d "$lend_ccache" ] || lend_ccache=
case "${NEWCOMER_WERROR:-}" in
1 | ON | On | on | YES | Yes | yes | TRUE | True | true) make_args=" WERROR=1" ;;
*) make_args= ;;
esac
# A private mount namespace: the chroot's mounts stay invisible to the host
# and vanish with the run even if it is killed outright.
if [ -z "${NEWCOMER_NAMESPACE:-}" ]; then
    NEWCOMER_NAMESPACE=1 exec unshare --mount --propagation private -- "$0" "$@"
fi

repo=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
commit=$(git -C "$repo" rev-parse HEAD)

# The first http(s) mirror this machine's apt sources name for the suite, in
# one-line (.list) or deb822 (.sources) form.
host_mirror() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        awk -v suite="$SUITE" '
            $1 == "deb" {
                i = 2
                if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
                if ($(i + 1) == suite && $i ~ /^https?:\/\//) { print $i; exit }
            }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk -v suite="$SUITE" '
            function check() {
                if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " suite " ") && enabled != "no")
                    for (n = split(uris, u, " "); n > 0; n--) found = u[n] ~ /^https?:\/\// ? u[n] : found
                if (found != "") { print found; done = 1; exit }
                types = suites = uris = ""; enabled = "yes"
            }
            BEGIN { enabled = "yes" }
            /^[ \t]*$/ { check(); next }
            /^#/ { next }
            {
                key = tolower($1); sub(/:$/, "", key)
                value = $0; sub(/^[^:]*:[ \t]*/, "", value)
                if (key == "types") types = value
                else if (key == "uris") uris = value
                else if (key == "suites") suites = value
                else if (key == "enabled") enabled = tolower(value)
            }
            END { if (!done) check() }' "$f"
    done
}

mirror=${NEWCOMER_MIRROR:-$(host_mirror | head -n 1)}
[ -n "$mirror" ] || die "no http(s) mirror for $SUITE in /etc/apt/sources.list{,.d/}; set NEWCOMER_MIRROR"

mkdir -p "$CACHE/archives" "$CACHE/debootstrap" "$CACHE/logs"
logs=$CACHE/logs/$(date -u +%Y%m%dT%H%M%SZ)-${commit:0:8}-$$
mkdir -p "$logs"
# Old logs and the folders of runs that were killed outright (their process
# is gone, so is their namespace and every mount in it).
find "$CACHE/logs" -mindepth 1 -maxdepth 1 -type d -mtime +14 -exec rm -rf {} +
for stale in "$CACHE"/run.*; do
    [ -d "$stale" ] || continue
    owner=$(cat "$stale/pid" 2>/dev/null || true)
    if [ -z "$owner" ] || ! kill -0 "$owner" 2>/dev/null; then
        rm -rf --one-file-system "$stale"
    fi
done

# Each line of a step's log starts with the seconds since the step began.
stamped() {
    local line
    SECONDS=0
    while IFS= read -r line; do printf '[%4d] %s\n' "$SECONDS" "$line"; done
}
# The seconds at the first line of log $1 that matches $2 (empty if none).
seconds_at() { sed -n -E "s/^\[ *([0-9]+)\] ($2).*/\1/p" "$1" | head -n 1; }

# Prints the step's last lines and fails the run.
fail_step() {
    local step=$1 log=$2
    say "FAILED: $step; its last $TAIL_LINES lines ($log):" >&2
    tail -n "$TAIL_LINES" "$log" | sed 's/^/  | /' >&2
    exit 1
}

if ! command -v debootstrap >/dev/null 2>&1; then
    say "installing debootstrap on this machine"
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap; } \
        >"$logs/host-debootstrap.log" 2>&1 || fail_step "installing debootstrap" "$logs/host-debootstrap.log"
fi

# --- the way out -----------------------------------------------------------------
mounted() { awk -v root="$root" 'index($5, root) == 1 { print $5 }' /proc/self/mountinfo; }

chroot_pids() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && echo "${p#/proc/}"
    done
    return 0
}

stop_chroot() {
    local pids tries
    pids=$(chroot_pids)
    [ -n "$pids" ] || return 0
    kill -TERM $pids 2>/dev/null || true
    for tries in 1 2 3 4 5 6 7 8 9 10; do
        sleep 0.5
        [ -n "$(chroot_pids)" ] || return 0
    done
    pids=$(chroot_pids)
    [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
    sleep 0.5
}

# The packages apt downloaded, kept for the next run (hard links: the same
# file system).
keep_downloads() {
    local deb
    for deb in "$root"/var/cache/apt/archives/*.deb; do
        [ -f "$deb" ] || continue
        [ -e "$CACHE/archives/${deb##*/}" ] || ln "$deb" "$CACHE/archives/" 2>/dev/null ||
            cp "$deb" "$CACHE/archives/" || true
    done
}

cleanup() {
    local rc=$? target
    trap - EXIT INT TERM
    set +e
    stop_chroot
    [ -d "$root/var/cache/apt/archives" ] && keep_downloads
    [ -f "$root/tmp/ccache-stats.log" ] && cp "$root/tmp/ccache-stats.log" "$logs/"
    # Deepest first; a lazy unmount only when a plain one is refused.
    for target in $(mounted | sort -r); do
        umount "$target" 2>/dev/null || umount -l "$target"
    done
    if [ -n "$(mounted)" ]; then
        say "still mounted, left in place: $(mounted | tr '\n' ' ')" >&2
        exit 1
    fi
    rm -rf --one-file-system "$scratch"
    exit "$rc"
}

# --- the cached base system ---------------------------------------------------
base=$CACHE/base
wanted="$SUITE minbase $INCLUDE $mirror"
scratch=$(mktemp -d "$CACHE/run.XXXXXX")
echo $$ >"$scratch/pid"
root=$scratch/root
trap cleanup EXIT
trap 'say "interrupted"; exit 130' INT
trap 'say "terminated"; exit 143' TERM

started=$(date +%s)
{
    flock 9
    if [ ! -f "$base.stamp" ] || [ "$(cat "$base.stamp")" != "$wanted" ] ||
        [ -n "$(find "$base.stamp" -mtime +"$MAX_AGE_DAYS")" ]; then
        say "bootstrapping $RELEASE minbase from $mirror (cached in $CACHE)"
        rm -rf --one-file-system "$base" "$base.new" "$base.stamp"
        debootstrap --variant=minbase --include="$INCLUDE" --cache-dir="$CACHE/debootstrap" \
            "$SUITE" "$base.new" "$mirror" >"$logs/debootstrap.log" 2>&1 ||
            fail_step "debootstrap" "$logs/debootstrap.log"
        rm -f "$base.new"/var/cache/apt/archives/*.deb
        mv "$base.new" "$base"
        echo "$wanted" >"$base.stamp"
    fi
    cp -a "$base" "$root"
} 9>"$CACHE/lock"
say "fresh copy of the cached $RELEASE minbase ($(($(date +%s) - started)) s, bootstrap included)"

mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --make-rslave "$root/dev"
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620,gid=5 devpts "$root/dev/pts"
mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$root/dev/shm"

# Network names, and a user of the kind the README addresses: sudo rights, no
# root shell.
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
# A throw-away system: dpkg need not sync every file it unpacks.
echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/newcomer-unsafe-io"
printf '127.0.0.1 localhost\n127.0.1.1 %s\n::1 localhost ip6-localhost ip6-loopback\n' "$(hostname)" >"$root/etc/hosts"
chroot "$root" useradd --create-home --shell /bin/bash "$USER_NAME"
echo "$USER_NAME ALL=(ALL) NOPASSWD: ALL" >"$root/etc/sudoers.d/$USER_NAME"
chmod 0440 "$root/etc/sudoers.d/$USER_NAME"
ln "$CACHE"/archives/*.deb "$root/var/cache/apt/archives/" 2>/dev/null || true

# The newcomer's clone sits at this checkout's own path, so that even the
# objects whose flags name their folder (QtTest's source and build folders)
# are the ones this machine compiled; in the newcomer's home when this
# checkout is under /root, where a user cannot go.
case "$repo" in
/root | /root/* | /home/"$USER_NAME" | /home/"$USER_NAME"/*) clone=/home/$USER_NAME/miniarca ;;
*) clone=$repo ;;
esac

# The lent compiler cache: this machine's, read-only; ccache itself is not
# one of the newcomer's packages, so it is installed on its own, first.
ccache_env=
if [ -n "$lend_ccache" ]; then
    started=$(date +%s)
    { chroot "$root" apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive chroot "$root" apt-get install -y -qq --no-install-recommends ccache; } \
        >"$logs/ccache.log" 2>&1 || fail_step "installing ccache on the fresh system" "$logs/ccache.log"
    mkdir -p "$root/var/cache/lent-ccache"
    mount --bind "$lend_ccache" "$root/var/cache/lent-ccache"
    mount -o remount,bind,ro "$root/var/cache/lent-ccache"
    ccache_env="CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
        CCACHE_DIR=/var/cache/lent-ccache CCACHE_READONLY=1 CCACHE_TEMPDIR=/tmp/ccache
        CCACHE_STATSLOG=/tmp/ccache-stats.log CCACHE_BASEDIR=$clone CCACHE_NOHASHDIR=1
        CCACHE_SLOPPINESS=${NEWCOMER_CCACHE_SLOPPINESS// /} CCACHE_COMPILERCHECK=${NEWCOMER_CCACHE_COMPILERCHECK// /}"
    say "lent this machine's compiler cache $lend_ccache, read-only ($(($(date +%s) - started)) s)"
fi

# The commit under test (committed work only), as the newcomer's own clone.
mkdir -p "$root$(dirname "$clone")"
git clone --quiet --no-local "$repo" "$root$clone"
[ "$(git -C "$root$clone" rev-parse HEAD)" = "$commit" ] ||
    git -C "$root$clone" -c advice.detachedHead=false checkout --quiet --detach "$commit"
chroot "$root" chown -R "$USER_NAME:$USER_NAME" "/home/$USER_NAME" "$clone"
say "cloned $commit into $clone on a fresh $RELEASE"

# A command in the newcomer's clone, as the newcomer, with a clean
# environment (no settings of this machine but the lent cache), stopped after
# the given number of seconds.
as_newcomer() {
    # shellcheck disable=SC2086 # ccache_env: one word a setting
    timeout --kill-after=30 "$1" chroot "$root" /usr/sbin/runuser -u "$USER_NAME" -- /usr/bin/env -i \
        HOME="/home/$USER_NAME" USER="$USER_NAME" LOGNAME="$USER_NAME" SHELL=/bin/bash \
        PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 $ccache_env \
        bash -c "cd $(printf %q "$clone") && $2"
}

# --- make test ------------------------------------------------------------------
say "make test$make_args ..."
started=$(date +%s)
# In the background, so that an interrupt is handled at once.
(as_newcomer "$TEST_TIMEOUT" "make test$make_args" 2>&1 | stamped >"$logs/make-test.log") &
test_rc=0
wait $! || test_rc=$?
test_seconds=$(($(date +%s) - started))
[ "$test_rc" = 0 ] || fail_step "make test (exit $test_rc after $test_seconds s)" "$logs/make-test.log"
log=$logs/make-test.log
at_configure=$(seconds_at "$log" 'cmake -S ')
at_build=$(seconds_at "$log" 'cmake --build ')
at_tests=$(seconds_at "$log" 'cd [^ ]+ && .*ctest ')
say "make test passed in $test_seconds s: $(grep -E 'tests passed' "$log" | tail -n 1 | sed 's/^\[ *[0-9]*\] //')"
say "  packages ${at_configure:-?} s, configure $((${at_build:-0} - ${at_configure:-0})) s," \
    "build $((${at_tests:-0} - ${at_build:-0})) s, tests $((test_seconds - ${at_tests:-0})) s"
if [ -n "$ccache_env" ] && [ -f "$root/tmp/ccache-stats.log" ]; then
    cp "$root/tmp/ccache-stats.log" "$logs/" || true
    say "  compiler cache: $(chroot "$root" env CCACHE_STATSLOG=/tmp/ccache-stats.log ccache --show-log-stats |
        awk '/^ *(Hits|Misses):/ { $1 = tolower($1); printf "%s%s %s of %s", sep, $1, $2, $4; sep = ", " }')"
fi

# --- make run -------------------------------------------------------------------
program_pids() {
    local p
    for p in $(chroot_pids); do
        [ "$(cat "/proc/$p/comm" 2>/dev/null)" = "$PROGRAM" ] && echo "$p"
    done
    return 0
}

say "make run$make_args (QT_QPA_PLATFORM=offscreen) ..."
started=$(date +%s)
(as_newcomer "$((START_TIMEOUT + 60))" "QT_QPA_PLATFORM=offscreen make run$make_args" 2>&1 | stamped >"$logs/make-run.log") &
run_job=$!
up_since=
while :; do
    now=$(date +%s)
    if [ -n "$(program_pids)" ]; then
        [ -n "$up_since" ] || up_since=$now
        if [ $((now - up_since)) -ge "$UP_SECONDS" ]; then
            break
        fi
    elif [ -n "$up_since" ]; then
        fail_step "make run: the program started and ended within $((now - up_since)) s" "$logs/make-run.log"
    elif ! kill -0 "$run_job" 2>/dev/null; then
        fail_step "make run ended without starting the program" "$logs/make-run.log"
    elif [ $((now - started)) -ge "$START_TIMEOUT" ]; then
        fail_step "make run: no program after $START_TIMEOUT s" "$logs/make-run.log"
    fi
    sleep 1 &
    wait $!
done
run_seconds=$((up_since - started))
kill -TERM $(program_pids) 2>/dev/null || true
wait "$run_job" 2>/dev/null || true
say "make run started the program in $run_seconds s; it stayed up $UP_SECONDS s and was stopped"
say "proven on a fresh $RELEASE: make test ${test_seconds} s, make run ${run_seconds} s (logs: $logs)"
