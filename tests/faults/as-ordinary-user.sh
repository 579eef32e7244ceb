#!/usr/bin/env bash
# Runs a test program as the unprivileged user "nobody", from a copy in a folder that user
# can reach (the build folder may sit under a private home).
#   as-ordinary-user.sh TEST_PROGRAM SIMULATOR [test function...]
set -euo pipefail
program=$1 simulator=$2
shift 2
dir=$(mktemp -d /tmp/mx7500-unprivileged.XXXXXX)
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
cp "$program" "$simulator" "$dir/"
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
# Some roots (a chroot unpacked with private permissions) let no other user run anything:
# then there is nothing to prove here, and the test says it skipped.
if ! as_nobody /bin/true 2>/dev/null; then
    echo "SKIP: the user nobody cannot run programs on this machine"
    exit 77
fi
exec setpriv --reuid=65534 --regid=65534 --clear-groups \
    env HOME="$dir" XDG_RUNTIME_DIR="$dir" MX7500_SIM="$dir/$(basename "$simulator")" \
    "$dir/$(basename "$program")" "$@"
