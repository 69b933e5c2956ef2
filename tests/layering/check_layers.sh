#!/usr/bin/env bash
# The layers' include rules: the logic (runtime, app, maps, studies) and the
# renderer include nothing of the Qt adapter or the studio; only the adapter,
# the studio and the window program's main include Qt Widgets; the logic and
# the renderer include no Qt at all; each of the renderer's folders includes
# only the folders below it. (The build enforces the same through each
# target's include root; this check names the offending lines.)
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

report "the logic and the renderer include the Qt adapter or the studio" \
    "$(offenders '#include[[:space:]]*"(platform|studio)/' runtime app maps studies render)"
report "the logic or the renderer includes Qt" \
    "$(offenders '#include[[:space:]]*<Q' runtime app maps studies render)"
# folder: the folders of the program it must not include
while read -r folder above; do
    report "render/$folder includes a layer above it" \
        "$(offenders "#include[[:space:]]*\"(render/($above)|app|maps|studies)/" "render/$folder")"
done <<'RULES'
image look|engine|video|analysis|cli
look engine|video|analysis|cli
RULES
while read -r folder above; do
    report "render/$folder includes a layer above it" \
        "$(offenders "#include[[:space:]]*\"render/($above)/" "render/$folder")"
done <<'RULES'
engine video|analysis|cli
video analysis|cli
analysis video|cli
RULES
report "runtime includes the layers above it" \
    "$(offenders '#include[[:space:]]*"(app|maps|studies|render)/' runtime)"
report "the logic includes the renderer" \
    "$(offenders '#include[[:space:]]*"render/' app maps studies)"
report "Qt Widgets outside the adapter" \
    "$(offenders '#include[[:space:]]*<(QtWidgets|QApplication|QWidget|QMainWindow|QMenu|QDialog)' runtime app maps studies render)"
report "the studio includes the window's Qt adapter" \
    "$(offenders '#include[[:space:]]*"platform/' studio)"
report "the window program includes the studio" \
    "$(offenders '#include[[:space:]]*"studio/' platform)"
[[ $status -eq 0 ]] && echo "layering: every include follows the layers"
exit $status
