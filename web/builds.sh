# Shared by the scripts that compare a WebAssembly build with a native one.
#   source web/builds.sh; builds NAME SCRIPT "FILE..." "$@"
# checks the script's arguments, NATIVE_BUILD [WEB_BUILD] (folders relative
# to the caller; WEB_BUILD by default build-web in the tree), that each FILE
# is under WEB_BUILD and that node is there; sets `root` (the tree), `native`
# (the native runner) and `webBuild`. Exits 64 on a problem, naming NAME.
builds() {
    local name=$1 script=$2 files=$3
    shift 3
    if [ $# -lt 1 ] || [ $# -gt 2 ]; then
        echo "usage: bash $script NATIVE_BUILD [WEB_BUILD]" >&2
        exit 64
    fi
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    absolute() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
    native="$(absolute "$1")/runner/vintrop-run"
    webBuild=$(absolute "${2:-$root/build-web}")
    local f wanted=("$native")
    for f in $files; do wanted+=("$webBuild/$f"); done
    for f in "${wanted[@]}"; do
        if [ ! -f "$f" ]; then
            echo "$name: $f is missing (native: cmake --build NATIVE_BUILD --target vintrop-run; web: make web)" >&2
            exit 64
        fi
    done
    if ! command -v node >/dev/null; then
        echo "$name: node is missing (make web installs it)" >&2
        exit 64
    fi
}
