#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need, when they are
# missing. Quiet when everything is present; says clearly what it could not install.
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libpugixml-dev
    qt6-l10n-tools        # lrelease and lconvert: the QTranslator comparison in bench/, orb-lng qm, tst_interop
    qt6-translations-l10n # Qt's own texts (qtbase_XX.qm) in the editor's interface language: tst_interface_language
    gettext               # msgfmt, msgmerge, xgettext, msgcat: tst_interop checks the .po files orb-lng writes and reads
    libbenchmark-dev
    fonts-dejavu-core     # offscreen text measurement needs at least one font
    xvfb xauth            # screenshots of real windows (make screenshots)
    desktop-file-utils appstream libxml2-utils # the desktop files' validators (tst_package)
    dpkg-dev              # dpkg-shlibdeps, for the package's dependencies (make package)
    clang libclang-rt-14-dev # libFuzzer and the sanitizers' runtimes (make fuzz)
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing missing Debian packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "setup: cannot install packages: not root and no sudo. Install them by hand:" >&2
    echo "    apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! "${sudo[@]}" apt-get update -qq || ! "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    echo "setup: apt-get could not install: ${missing[*]}" >&2
    exit 1
fi
