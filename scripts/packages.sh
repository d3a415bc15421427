# The Debian packages each command needs; sourced by the scripts beside this file.
# shellcheck disable=SC2034
build_packages=(cmake make g++ qt6-base-dev qt6-base-dev-tools libgl-dev librsvg2-bin)
display_packages=(xvfb xauth openbox x11-utils xdotool wmctrl imagemagick fonts-dejavu-core
    fonts-vlgothic)
test_packages=(qt6-base-private-dev weston qt6-wayland mutter xwayland dbus-daemon tesseract-ocr
    tesseract-ocr-eng desktop-file-utils appstream dpkg-dev file lintian)
