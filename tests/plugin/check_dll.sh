#!/usr/bin/env bash
# check_dll.sh OBJDUMP MODULE [EXPORT...]: the Windows module exports exactly
# the functions named (by default the five lister functions) by their plain
# names and imports only system DLLs.
set -euo pipefail
objdump=$1 module=$2
shift 2
(($#)) || set -- ListGetDetectString ListGetPreviewBitmap ListGetPreviewBitmapW ListLoad ListLoadW
dump=$("$objdump" -p "$module")

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^\t\[/ {print $NF; next} on {exit}' <<<"$dump" | sort)
expected=$(printf '%s\n' "$@" | sort)
if [[ $exports != "$expected" ]]; then
  printf 'exports of %s:\n%s\nexpected:\n%s\n' "$module" "$exports" "$expected" >&2
  exit 1
fi

status=0
while read -r dll; do
  case ${dll,,} in
    kernel32.dll|user32.dll|gdi32.dll|msvcrt.dll|advapi32.dll|shell32.dll|ole32.dll) ;;
    *) echo "$module imports $dll, which is not a Windows system DLL" >&2; status=1 ;;
  esac
done < <(awk '/DLL Name:/ {print $3}' <<<"$dump")
echo "$module: $# plain exports, system imports only"
exit $status
