# Installs the Debian packages named in $@ that are missing (through sudo when
# not root). Sourced by scripts/run, scripts/test, scripts/package and CI.
install_missing() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(cmake g++ make pkg-config libsdl2-dev libsdl2-mixer-dev libpng-dev zlib1g-dev
    libfreetype-dev libfontconfig-dev libenet-dev libx11-dev fonts-dejavu-core fonts-liberation)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
TEST_PACKAGES=(libgtest-dev nftables iproute2 libbenchmark-dev clang-format xvfb xfonts-base xdotool x11-apps python3 python3-pil lame
    dpkg-dev desktop-file-utils appstream lintian python3-debian inotify-tools openbox x11-utils)
# dpkg-shlibdeps (dpkg-dev) names the libraries' packages in the .deb and
# dpkg-buildflags gives Debian's hardening flags; lintian checks the result.
PACKAGE_PACKAGES=(dpkg-dev lintian)

# configure_and_build DIR [cmake options...]
configure_and_build() {
    local dir="$1"
    shift
    cmake -S "$ROOT" -B "$ROOT/$dir" "$@" >/dev/null
    cmake --build "$ROOT/$dir" -j "$(nproc)"
}

# The player's build, which scripts/run starts and CI builds the same way:
# warnings are shown, never errors, so a newer compiler cannot stop a player.
build_for_player() {
    install_missing "${BUILD_PACKAGES[@]}"
    configure_and_build build-run -DCMAKE_BUILD_TYPE=Release -DTUBRIX_TESTS=OFF -DTUBRIX_BENCHMARKS=OFF
}
