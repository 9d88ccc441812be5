#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the build into a fresh prefix, builds examples/minimal-host from
# the installed copy against the installed package alone (CMake, and a probe
# through pkg-config), and runs tst_installed under its own X server.
#   check-install.sh <build dir> <tst_installed>
set -euo pipefail
build=$(cd "$1" && pwd)
driver=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/wb-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")

# The same compiler cache as the build, when it has one.
launcher=$(sed -n 's/^CMAKE_CXX_COMPILER_LAUNCHER:[A-Z]*=//p' "$build/CMakeCache.txt")
# Built with Qt 6, the host library and its packages take names of their own.
qt=$(sed -n 's/^WB_QT_MAJOR:[A-Z]*=//p' "$build/CMakeCache.txt")
dev=libchannel-web-browser-host-dev
[ "$qt" = 5 ] || dev=libchannel-web-browser-host-qt$qt-dev
config=$prefix/$libdir/cmake/ChannelWebBrowser/ChannelWebBrowserConfig.cmake
grep -qx "set(ChannelWebBrowser_QT_MAJOR $qt)" "$config" || { echo "$config does not say Qt $qt"; exit 1; }
example_src=$prefix/share/doc/$dev/examples/minimal-host
cmake -S "$example_src" -B "$work/example" -DCMAKE_PREFIX_PATH="$prefix" \
    ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"} >/dev/null
cmake --build "$work/example" >/dev/null

# pkg-config: compile and link a probe with nothing but what the .pc says.
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
cat >"$work/probe.cpp" <<'PROBE'
#include <hostlib/browserhost.h>
#include <hostlib/hostversion.h>
#include <cstdio>
int main(int, char **argv)
{
    std::printf("%s %s\n", CHANNEL_WEB_BROWSER_VERSION_STRING,
                qPrintable(ChannelWebBrowser::BrowserHost::endpointFor(QString::fromLocal8Bit(argv[1]))));
}
PROBE
# shellcheck disable=SC2046
${launcher:-} c++ -std=c++17 "$work/probe.cpp" -o "$work/probe" $(pkg-config --cflags --libs channel-web-browser-host)
browser=$(pkg-config --variable=browser channel-web-browser-host)
[ "$browser" = "$prefix/bin/channel-web-browser" ] || { echo "pkg-config names the browser $browser"; exit 1; }
probe=$(LD_LIBRARY_PATH=$prefix/$libdir "$work/probe" "$browser")
version=$("$browser" --version)
[ "${probe%% *}" = "${version##* }" ] || { echo "library $probe, browser $version"; exit 1; }
"$browser" --help | grep -qxF "  ${probe#* }" || { echo "--help does not name the endpoint ${probe#* }"; exit 1; }

# On the X server, as a desktop would run them: not the offscreen platform
# the rest of the suite uses.
WB_INSTALL_PREFIX=$prefix WB_INSTALL_LIBDIR=$libdir WB_EXAMPLE=$work/example/minimal-host \
    env -u QT_QPA_PLATFORM -u QT_QUICK_BACKEND xvfb-run -a -s "-screen 0 1280x1024x24" "$driver"
