#!/usr/bin/env bash
# Installs what building, testing and running vestibar needs on Debian 12.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config procps ccache
    qt6-base-dev qt6-base-dev-tools libgl-dev libssl-dev
    firebird-dev libfbclient2 firebird3.0-server firebird3.0-utils
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth x11-apps imagemagick fonts-dejavu-core
    freerdp2-x11 putty xdg-utils libxcb-xinput-dev libxcb-xtest0-dev
    python3 openssl
    dbus at-spi2-core python3-pyatspi
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# CI always refreshes the package lists; elsewhere only when something is missing.
if [ ${#missing[@]} -gt 0 ] || [ -n "${CI:-}" ]; then
    echo "install-deps: installing ${missing[*]:-(all present, refreshing)}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y "${packages[@]}"
fi
