#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the Debian packages from the build folder (what scripts/package does)
# and checks them as a distribution would: what each holds and depends on,
# the library's control files, the hardening of every binary, the debug
# symbols apart, and lintian.
#   check-package.sh <build dir>
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/wb-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
revision=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_RELEASE "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
full="$version-$revision"
arch=$(dpkg --print-architecture)
ma=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
# Qt's own packages are libqt<major><module><major> (Qt 5's core with an "a"
# after); ours keep their names with Qt 5, and with Qt 6, another ABI, the
# host library and its packages have -qt6 in their names.
qt=$(sed -n 's/^WB_QT_MAJOR:[A-Z]*=//p' "$build/CMakeCache.txt")
# Debian 13 renamed those whose ABI moved to a 64-bit time_t with a "t64".
for module in core network gui widgets webenginecore webenginewidgets webchannel; do
    name=libqt$qt$module$qt
    if dpkg-query -W -f='${Status}' "${name}t64" 2>/dev/null | grep -q "install ok installed"; then
        name+=t64
    fi
    declare "qt_$module=$name"
done
if [ "$qt" = 5 ]; then
    [[ $qt_core == *t64 ]] || qt_core+=a
    qtdev=qtbase5-dev libname=libchannel-web-browser-host lib=libchannel-web-browser-host1
else
    qtdev=qt$qt-base-dev libname=libchannel-web-browser-host-qt$qt lib=libchannel-web-browser-host-qt$qt-1
fi
dev=$libname-dev

fail=0
bad() { echo "$*"; fail=1; }
deb() { echo "$work/${1}_${full}_$arch.deb"; }
control() { dpkg-deb --ctrl-tarfile "$(deb "$1")" | tar -xO "./$2" 2>/dev/null; }

# package | files it must hold | Depends it must name ("name (>= " for a computed one) | names it must not depend on
packages=(
    "channel-web-browser|./usr/bin/channel-web-browser ./usr/share/man/man1/channel-web-browser.1.gz ./usr/share/doc/channel-web-browser/README.md ./usr/share/doc/channel-web-browser/fonts/LICENSE-OpenSans.txt ./usr/share/doc/channel-web-browser/fonts/LICENSE-Deng-DejaVuSans.txt|libc6 (>= ,libstdc++6 (>= ,$qt_core (>= ,$qt_network (>= ,$qt_widgets (>= ,$qt_webenginecore (>= ,$qt_webenginewidgets (>= ,$qt_webchannel (>= |$lib,httplib"
    "$lib|./usr/lib/$ma/$libname.so.$version ./usr/lib/$ma/$libname.so.1|libc6 (>= ,$qt_core (>= ,$qt_network (>= ,channel-web-browser (>= $version)|$qt_widgets,$qt_gui,webengine,-dev"
    "$dev|./usr/lib/$ma/$libname.so ./usr/include/channel-web-browser/hostlib/browserhost.h ./usr/include/channel-web-browser/hostlib/hostversion.h ./usr/include/channel-web-browser/wire/configlist.h ./usr/lib/$ma/cmake/ChannelWebBrowser/ChannelWebBrowserConfig.cmake ./usr/lib/$ma/pkgconfig/channel-web-browser-host.pc ./usr/share/doc/$dev/integrators-guide.md ./usr/share/doc/$dev/examples/minimal-host/main.cpp|$lib (= $full),$qtdev|cmake,g++"
    "channel-web-browser-reference-host|./usr/lib/$ma/channel-web-browser/reference-host|$lib (= $full),channel-web-browser (= $full),$qt_gui (>= |-dev,cmake"
)
all_files=
for row in "${packages[@]}"; do
    IFS='|' read -r name files wanted unwanted <<<"$row"
    [ -f "$(deb "$name")" ] || { bad "no package $(basename "$(deb "$name")")"; continue; }
    [ "$(dpkg-deb -f "$(deb "$name")" Version)" = "$full" ] || bad "$name: Version $(dpkg-deb -f "$(deb "$name")" Version)"
    contents=$(dpkg-deb -c "$(deb "$name")" | awk '{print $6}')
    all_files+=$(dpkg-deb -c "$(deb "$name")" | awk '$1 !~ /^d/ {print $6}')$'\n'
    for path in $files "./usr/share/doc/$name/copyright" "./usr/share/doc/$name/changelog.Debian.gz"; do
        grep -qxF "$path" <<<"$contents" || bad "$name lacks $path"
    done
    depends=$(dpkg-deb -f "$(deb "$name")" Depends)
    IFS=, read -ra items <<<"$wanted"
    for item in "${items[@]}"; do
        [[ ", $depends" == *", $item"* ]] || bad "$name: Depends lacks '$item': $depends"
    done
    IFS=, read -ra items <<<"$unwanted"
    for item in "${items[@]}"; do
        [[ "$depends" != *"$item"* ]] || bad "$name: Depends names '$item': $depends"
    done
    # Only dpkg's triggers run ldconfig: no package has maintainer scripts.
    for script in preinst postinst prerm postrm; do
        control "$name" "$script" >/dev/null && bad "$name has a $script"
    done
    # The machine-readable copyright, naming our licence and pointing at its text.
    root=$work/root-$name
    dpkg-deb -x "$(deb "$name")" "$root"
    copyright=$root/usr/share/doc/$name/copyright
    head -1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' || bad "$name: copyright is not machine-readable"
    grep -qx 'License: Apache-2.0' "$copyright" && grep -qF /usr/share/common-licenses/Apache-2.0 "$copyright" || bad "$name: copyright does not name Apache-2.0"
    # The changelog's newest entry is this very version.
    top=$(zcat "$root/usr/share/doc/$name/changelog.Debian.gz" | head -1)
    [[ "$top" == "channel-web-browser ($full) "* ]] || bad "$name: changelog starts with $top"
done
# The two development packages hold the same paths: the Qt 6 one takes the other's place.
[ "$qt" = 5 ] || [ "$(dpkg-deb -f "$(deb "$dev")" Conflicts)" = libchannel-web-browser-host-dev ] || bad "$dev does not conflict with the Qt 5 one"
dup=$(sort <<<"$all_files" | grep . | uniq -d)
[ -z "$dup" ] || bad "in more than one package: $dup"
if grep -q '^\./usr/local/' <<<"$all_files"; then bad "files under /usr/local"; fi
# The demo takes no name in everybody's PATH: the browser is the only program there.
programs=$(grep '^\./usr/bin/' <<<"$all_files" || true)
[ "$programs" = ./usr/bin/channel-web-browser ] || bad "in /usr/bin: $programs"
grep -q 'License: Bitstream-Vera' "$work/root-channel-web-browser/usr/share/doc/channel-web-browser/copyright" || bad "the browser's copyright misses the DejaVu font's licence"

# The library's control files: shlibs, the symbols file (exactly the symbols
# the built library exports; scripts/package --symbols rewrites it) and the
# ldconfig trigger.
[ "$(control $lib shlibs)" = "$libname 1 $lib (>= $full)" ] || bad "shlibs: $(control $lib shlibs)"
[ "$(control $lib triggers)" = "activate-noawait ldconfig" ] || bad "triggers: $(control $lib triggers)"
control $lib symbols >"$work/symbols"
mkdir -p "$work/root-$lib/DEBIAN"
# dpkg 1.22 (Debian 13) reads the package's stanza from debian/control, as
# in a source package; a minimal one is enough.
mkdir -p "$work/source/debian"
printf 'Source: channel-web-browser\n\nPackage: %s\nArchitecture: any\n' "$lib" >"$work/source/debian/control"
(cd "$work/source" && dpkg-gensymbols -q -c4 -v"$version" -p$lib -P"$work/root-$lib" -I"$work/symbols" -O"$work/symbols.now") || bad "the symbols file is not what the library exports (see the diff above)"

# Hardening, read off the ELF files: position-independent executables,
# relocations read-only and bound at start, the stack protector, and the
# fortified libc calls: a binary that calls a libc function of which libc has
# a checked __*_chk form must call some checked ones (the compiler keeps the
# plain call where it proves the size), or its debug symbols must show that
# each plain call went through glibc's fortified inline wrapper, which had no
# size to check: Qt 6's containers move their elements with memmove of a
# size known at run time only.
fortifiable=$(readelf --dyn-syms -W "/lib/$ma/libc.so.6" | sed -n 's/.* __\([a-z0-9_]*\)_chk@.*/\1/p' | sort -u)
elves=(
    "$work/root-channel-web-browser/usr/bin/channel-web-browser|exec"
    "$work/root-$lib/usr/lib/$ma/$libname.so.$version|lib"
    "$work/root-channel-web-browser-reference-host/usr/lib/$ma/channel-web-browser/reference-host|exec"
)
for row in "${elves[@]}"; do
    IFS='|' read -r elf kind <<<"$row"
    name=${elf##*/}
    [ -f "$elf" ] || { bad "no $elf"; continue; }
    dynamic=$(readelf -dW "$elf")
    imports=$(readelf --dyn-syms -W "$elf" | awk '$7 == "UND" {print $8}')
    grep -qE '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW' <<<"$dynamic" || bad "$name: not bound at start (BIND_NOW)"
    readelf -lW "$elf" | grep -q GNU_RELRO || bad "$name: no read-only relocations (RELRO)"
    grep -q '^__stack_chk_fail' <<<"$imports" || bad "$name: no stack protector"
    id=$(readelf -nW "$elf" | sed -n 's/.*Build ID: *//p')
    debug=/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug
    found=
    for ddeb in "$work"/*-dbgsym_"${full}_$arch".ddeb; do
        dpkg-deb -c "$ddeb" | grep -q "$debug$" && found=$ddeb
    done
    [ -n "$found" ] || bad "$name: no debug symbols for build id $id"
    plain=
    if ! grep -qE '^__[a-z0-9_]+_chk(@|$)' <<<"$imports"; then
        plain=$(sed 's/@.*//' <<<"$imports" | grep -xF "$fortifiable" || true)
    fi
    if [ -n "$plain" ] && [ -n "$found" ]; then
        dpkg-deb --fsys-tarfile "$found" | tar -xO ".$debug" >"$work/$name.debug"
        # glibc's wrappers: inline functions named as the call, marked artificial
        wrapped=$(readelf --debug-dump=info "$work/$name.debug" 2>/dev/null | awk '
            /^ *<[0-9]+><[0-9a-f]+>: Abbrev/ { if (inlined && artificial) print fn; fn = ""; inlined = artificial = 0 }
            /DW_AT_name *:/ { fn = $NF }
            /DW_AT_inline *: 3/ { inlined = 1 }
            /DW_AT_artificial/ { artificial = 1 }' | sort -u)
        [ -z "$wrapped" ] || plain=$(grep -vxF "$wrapped" <<<"$plain" || true)
    fi
    [ -z "$plain" ] || bad "$name: calls $(echo $plain) unfortified"
    grep -qE 'RPATH|RUNPATH' <<<"$dynamic" && bad "$name: has a library search path of its own"
    if [ "$kind" = exec ]; then
        grep -qE '\(FLAGS_1\).*PIE' <<<"$dynamic" || bad "$name: not a position-independent executable"
    fi
    # Stripped (its symbols are in the -dbgsym package, found above).
    file "$elf" | grep -q ', stripped' || bad "$name: not stripped"
done
for name in channel-web-browser $lib channel-web-browser-reference-host; do
    ddeb="$work/$name-dbgsym_${full}_$arch.ddeb"
    [ -f "$ddeb" ] || { bad "no $(basename "$ddeb")"; continue; }
    [[ "$(dpkg-deb -f "$ddeb" Depends)" == "$name (= $full)" ]] || bad "$name-dbgsym: Depends $(dpkg-deb -f "$ddeb" Depends)"
done

# Runs from where the package puts it, without any display or host.
"$work/root-channel-web-browser/usr/bin/channel-web-browser" --version | grep -qx "channel-web-browser $version" || bad "installed --version"
# The demo finds the browser of its own installation: with none there, it says where it looked.
said=$(LD_LIBRARY_PATH="$work/root-$lib/usr/lib/$ma" QT_QPA_PLATFORM=offscreen \
    "$work/root-channel-web-browser-reference-host/usr/lib/$ma/channel-web-browser/reference-host" 2>&1 >/dev/null || true)
[[ "$said" == *"no browser executable at $work/root-channel-web-browser-reference-host/usr/bin/channel-web-browser "* ]] || bad "the demo looks for the browser elsewhere: $said"
pc=$work/root-$dev/usr/lib/$ma/pkgconfig/channel-web-browser-host.pc
grep -qx 'prefix=/usr' "$pc" || bad "pkg-config prefix is not /usr"
grep -qx "libdir=\${prefix}/lib/$ma" "$pc" || bad "pkg-config libdir: $(grep libdir= "$pc")"

# lintian, as a distribution runs it: no error and no warning, but for the
# overrides each package carries with their reasons.
if ! lintian --fail-on error,warning "$work"/*.deb >"$work/lintian" 2>&1; then
    cat "$work/lintian"
    bad "lintian"
fi
exit $fail
