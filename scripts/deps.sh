# Installs the Debian packages the build, the program and the tests need, when any is missing.
# Sourced by run.sh and test.sh.
ORV_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-translations-l10n libgl-dev
  libsqlite3-dev libjpeg62-turbo-dev libxcb1-dev libpst-dev libxtst-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk xvfb xauth dbus-daemon python3 libxtst6
  at-spi2-core python3-pyatspi openbox x11-utils
)

orv_install_deps() {
  local missing=() pkg
  for pkg in "${ORV_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}
