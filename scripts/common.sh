# Shared by scripts/test and scripts/demo: install what the build needs on a
# fresh Debian machine (only what is missing), then configure and build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ORV_BUILD_DIR:-$ROOT/build}"

orv_packages=(qtbase5-dev qttools5-dev-tools qttools5-dev libtiff-dev libfftw3-dev cmake ninja-build
              ccache xvfb xauth pkg-config libbenchmark-dev g++ clang libclang-rt-14-dev
              fonts-ipafont-gothic python3 libhwy-dev libhdf5-dev hdf5-filter-plugin bitshuffle
              libeigen3-dev libgsf-1-dev liblz4-dev)

orv_install() {
    local missing=()
    for p in "${orv_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
    fi
}

orv_build() {
    local dir="$1"; shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    fi
    cmake --build "$dir" -j "$(nproc)"
}
