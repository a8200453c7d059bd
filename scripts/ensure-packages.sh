# Installs the Debian packages the build and the tests need, when any is missing. Sourced by ./test
# and ./run; quick when everything is present.
QORPRT_PACKAGES=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev libbenchmark-dev
    libcups2-dev cups cups-bsd cups-client cups-ipp-utils dbus avahi-daemon libzint-dev libqpdf-dev
    fontconfig libfontconfig-dev fonts-liberation fonts-urw-base35
    xvfb poppler-utils ghostscript zxing-cpp-tools
    util-linux passwd # setpriv and useradd: the handover tests run a process as a second user
    dpkg-dev file lintian # the Debian package and its check
)

qorprt_missing_packages() {
    local p
    for p in "${QORPRT_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
    done
}

missing=$(qorprt_missing_packages)
if [ -n "$missing" ]; then
    echo "Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
