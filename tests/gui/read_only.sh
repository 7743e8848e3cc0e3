#!/usr/bin/env bash
# ReadOnlyFolder.* in a read-only bind mount, which root obeys; they skip where none can be made.
# Usage: read_only.sh <wine-exec> <prefix> <gui_tests.exe> [test options]
source=$(mktemp -d) view=$(mktemp -d)
mount --bind "$source" "$view" && mount -o remount,ro,bind "$view" &&
  export KORVANE_READ_ONLY_SOURCE="Z:${source//\//\\}\\" KORVANE_READ_ONLY_VIEW="Z:${view//\//\\}\\"
"$1" "$2" "$3" --gtest_filter='ReadOnlyFolder.*' "${@:4}"
status=$?
umount "$view" 2>/dev/null; rm -rf "$source" "$view"
exit $status
