# Shared by tools/test and tools/run-demo: the Debian packages the project needs, installed
# when missing.

BUILD_PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev qt6-svg-dev libgl-dev libgtest-dev libbenchmark-dev"
# Independent readers the tests check our files with, and fonts for offscreen windows.
TEST_PACKAGES="libwmf-bin python3 python3-xlrd unrtf poppler-utils fonts-dejavu-core xvfb xauth mawk"
RUN_PACKAGES="qt6-qpa-plugins fonts-dejavu-core xvfb xauth"

ensure_packages() {
    missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    if [ "$(id -u)" = 0 ]; then SUDO=""; else SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
}

jobs() {
    nproc 2>/dev/null || echo 2
}
