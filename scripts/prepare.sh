# Shared by run.sh and test.sh: installs what the build and the game need on a
# Debian 12 machine, then configures and builds the project into build/ and
# stages the run directory build/run/. Sourced, not run.

set -euo pipefail

CORBELET_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CORBELET_BUILD=${CORBELET_BUILD:-$CORBELET_ROOT/build}

corbelet_packages=(
    # toolchain, and the formatter the tests check the sources with
    build-essential cmake pkg-config clang libclang-rt-14-dev clang-format
    # Qt 6 Widgets, and its French translations for the standard dialogs;
    # Qt SVG for the scalable icon the skin generator writes
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev qt6-svg-dev
    # the embedded word server, its message files and character sets; the
    # server mariadbd of the classroom tests and benchmark comes with
    # mariadb-server-core
    libmariadbd-dev mariadb-server-core
    # MariaDB's client library, for a word base on a server
    libmariadb3
    # the audio library: SDL2 output, libsndfile decoding (WAV, MP3)
    libsdl2-dev libsndfile1-dev
    # the word said aloud: libespeak-ng (its header at build time; the library
    # and its French voice loaded at run time)
    libespeak-ng-dev libespeak-ng1 espeak-ng-data
    # the chart of the "Progrès" page (Qt Charts' CMake files need Qt OpenGL's,
    # which its Debian package does not pull in)
    qt6-charts-dev libqt6opengl6-dev
    # fonts metric-compatible with Arial and Courier New, and a Tahoma
    fonts-liberation fonts-liberation2 fonts-wine
    # the lettering of the logo, painted at build time
    fonts-dejavu-core
    # a test tone for the game window tests (sox, then lame for MP3)
    sox lame
    # the KDE-Edu vocabulary lists that the word list tool's tests import
    # (the package only suggests them)
    kdeedu-kvtml-data
    # a display, a window manager and a French keyboard layout for the
    # end-to-end tests
    xvfb xauth openbox xdotool x11-utils x11-xkb-utils
    # a session bus with its accessibility bus, and a screen reader's view of
    # the game over it, for the accessibility tests
    dbus-daemon dbus-bin at-spi2-core python3-pyatspi
    # the Debian package (dpkg-shlibdeps, file) and the checks of the
    # installed files; useradd for the player of the end-to-end test
    dpkg-dev file lintian desktop-file-utils appstream man-db passwd
)

corbelet_install_packages() {
    local missing=()
    local package status
    for package in "${corbelet_packages[@]}"; do
        # No pipe into grep -q: with pipefail, grep quitting early could make
        # an installed package look missing.
        status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
        if [ "$status" != "install ok installed" ]; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages (run as root to install them): ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# corbelet_build [cmake option...]: configures and builds into $CORBELET_BUILD.
corbelet_build() {
    cmake -S "$CORBELET_ROOT" -B "$CORBELET_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$CORBELET_BUILD" --parallel "$(nproc)"
}
