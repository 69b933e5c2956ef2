#!/usr/bin/env bash
# The layers' include rules: the logic (runtime, app, maps, studies) and the
# renderer include nothing of the Qt adapter; only the adapter and the window
# program's main include Qt Widgets; the logic includes no Qt at all.
set -uo pipefail
src=${1:?usage: check_layers.sh SRC_DIR}
status=0

offenders() {  # pattern, folders...
    local pattern=$1
    shift
    local dirs=()
    for d in "$@"; do [[ -d $src/$d ]] && dirs+=("$src/$d"); done
    ((${#dirs[@]})) || return 0
    grep -rnE "$pattern" "${dirs[@]}" --include='*.h' --include='*.cpp' || true
}

report() {  # rule, offending lines
    if [[ -n $2 ]]; then
        echo "layering: $1:" >&2
        echo "$2" >&2
        status=1
    fi
}

report "the logic and the renderer include the Qt adapter" \
    "$(offenders '#include[[:space:]]*"platform/' runtime app maps studies render)"
report "the logic includes Qt" \
    "$(offenders '#include[[:space:]]*<Q' runtime app maps studies)"
report "Qt Widgets outside the adapter" \
    "$(offenders '#include[[:space:]]*<(QtWidgets|QApplication|QWidget|QMainWindow|QMenu|QDialog)' runtime app maps studies render)"
[[ $status -eq 0 ]] && echo "layering: every include follows the layers"
exit $status
