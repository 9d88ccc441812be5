#!/usr/bin/env bash
# Builds the Debian package from the build folder (what scripts/package does)
# and checks what is in it and what it depends on.
#   check-package.sh <build dir>
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/wb-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
debs=("$work"/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "expected one package, got: ${debs[*]}"; exit 1; }
deb=${debs[0]}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$(basename "$deb")" = "channel-web-browser_${version}_$(dpkg --print-architecture).deb" ] || { echo "named $(basename "$deb")"; exit 1; }

fail=0
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = channel-web-browser ] || { echo "Package: $(field Package)"; fail=1; }
[ "$(field Version)" = "$version" ] || { echo "Version: $(field Version)"; fail=1; }

# Computed from the binaries: the engine and Qt libraries they link, each
# with a version, and never a build package.
depends=$(field Depends)
for lib in libc6 libstdc++6 libqt5core5a libqt5network5 libqt5widgets5 libqt5webenginecore5 libqt5webenginewidgets5 libqt5webchannel5; do
    [[ ", $depends" == *", $lib (>= "* ]] || { echo "Depends lacks $lib: $depends"; fail=1; }
done
if grep -qE -- '-dev\b|cmake|g\+\+' <<<"$depends"; then echo "Depends names a build package: $depends"; fail=1; fi
# The library's own shlibs entry, so hosts packaged against it get a dependency.
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./shlibs | grep -qx "libchannel-web-browser-host 1 channel-web-browser (>= $version)" \
    || { echo "shlibs: $(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./shlibs)"; fail=1; }

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/channel-web-browser ./usr/bin/reference-host \
    "./usr/lib/libchannel-web-browser-host.so.$version" ./usr/include/channel-web-browser/hostlib/browserhost.h \
    ./usr/lib/cmake/ChannelWebBrowser/ChannelWebBrowserConfig.cmake ./usr/lib/pkgconfig/channel-web-browser-host.pc \
    ./usr/share/doc/channel-web-browser/integrators-guide.md ./usr/share/doc/channel-web-browser/copyright \
    ./usr/share/doc/channel-web-browser/fonts/LICENSE-OpenSans.txt ./usr/share/doc/channel-web-browser/fonts/LICENSE-Deng-DejaVuSans.txt; do
    grep -qxF "$path" <<<"$contents" || { echo "missing $path"; fail=1; }
done
if grep -q '^\./usr/local/' <<<"$contents"; then echo "files under /usr/local"; fail=1; fi

dpkg-deb -x "$deb" "$work/root"
grep -qx 'prefix=/usr' "$work/root/usr/lib/pkgconfig/channel-web-browser-host.pc" || { echo "pkg-config prefix is not /usr"; fail=1; }
if file "$work/root/usr/bin/channel-web-browser" | grep -q 'not stripped'; then echo "browser not stripped"; fail=1; fi
# Runs from where the package puts it, without any display or host.
"$work/root/usr/bin/channel-web-browser" --version | grep -qx "channel-web-browser $version" || { echo "installed --version"; fail=1; }
exit $fail
