# Shared by the end-to-end scripts of the routes (tests/<route>/thumbnails.sh):
# their options, copies of the module beside settings files, and checks of
# what brisleaf-thumb answers. Source it, then:
#
#   parse_thumbnail_options "$@"   # --thumb --plugin --tool [--emulator], one --MODE
#   module_copy NAME [SETTINGS]    # $work/NAME: the module and brisleaf-thumb,
#                                  # with SETTINGS as the module's .ini file
#   expect NAME BOX BOOK ANSWER    # ANSWER: "WIDTH HEIGHT BITS" or "none"
#   check WHAT GOT WANT            # any other comparison
#   finish_checks                  # exits 1 when a check failed

emulator=() thumb= plugin= tool= mode=
failures=0

parse_thumbnail_options() {
  while (($#)); do
    case $1 in
      --thumb) thumb=$2; shift 2 ;;
      --plugin) plugin=$2; shift 2 ;;
      --tool) tool=$2; shift 2 ;;
      --emulator) emulator=("$2"); shift 2 ;;
      --*) mode=$1; shift ;;
      *) echo "$(basename "$0"): unknown argument $1" >&2; exit 2 ;;
    esac
  done
  [[ -n $thumb && -n $plugin && -n $tool && -n $mode ]] || { echo "$(basename "$0"): missing arguments" >&2; exit 2; }
  module_name=$(basename "$plugin")
  work=$(mktemp -d "${TMPDIR:-/tmp}/brisleaf-e2e.XXXXXX")
  trap 'rm -rf "$work"' EXIT
}

module_copy() {
  local name=$1 settings=${2-}
  mkdir -p "$work/$name"
  cp "$plugin" "$thumb" "$work/$name/"
  if [[ -n $settings ]]; then
    printf '%s' "$settings" >"$work/$name/${module_name%.*}.ini"
  fi
}

check() {
  local what=$1 got=$2 want=$3
  if [[ $got == "$want" ]]; then
    echo "ok    $what: $got"
  else
    echo "FAIL  $what: got '$got', want '$want'"
    failures=$((failures + 1))
  fi
}

# A request must also end within a few seconds; under Wine, which may run in
# an emulated machine (scripts/wine-vm), within a minute.
expect() {
  local name=$1 box=$2 book=$3 want=$4 got status=0 start=$SECONDS
  local limit=10
  ((${#emulator[@]} == 0)) || limit=60
  got=$(timeout $((limit * 2)) "${emulator[@]}" "$work/$name/$(basename "$thumb")" --plugin "$work/$name/$module_name" \
        -s "$box" --info "$book" | tr -d '\r') || status=$?
  if ((status == 1)) && [[ -z $got ]]; then
    got=none
  elif ((status != 0)); then
    got="exit $status"
  fi
  if ((SECONDS - start >= limit)); then
    got="$got after $((SECONDS - start)) s"
  fi
  check "$name -s $box $(basename "$book")" "$got" "$want"
}

finish_checks() {
  if ((failures)); then
    echo "$failures failed"
    exit 1
  fi
}
