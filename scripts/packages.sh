# The Debian packages each command needs; sourced by the scripts beside this file.
# shellcheck disable=SC2034
build_packages=(cmake make g++ pkgconf qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
    librsvg2-bin)
display_packages=(xvfb xauth openbox x11-utils xdotool wmctrl imagemagick fonts-dejavu-core
    fonts-vlgothic)
# The SVG image plugin that desktops carry, so that the tests meet the drawings that users' texts
# may name: a package of its own from Debian 13 on.
svg_plugin=libqt6svg6
apt-cache show qt6-svg-plugins >/dev/null 2>&1 && svg_plugin=qt6-svg-plugins
test_packages=("$svg_plugin" qt6-base-private-dev weston qt6-wayland mutter xwayland dbus-daemon
    tesseract-ocr tesseract-ocr-eng desktop-file-utils appstream dpkg-dev file lintian
    libfuse3-dev pkgconf fuse3 ratpoison xmonad spectrwm)
