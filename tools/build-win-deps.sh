#!/usr/bin/env bash
# Builds what the Windows cross build needs and Debian does not package for MinGW-w64, into a
# cache outside the work tree (KVT_WIN_DEPS, default ~/.cache/kvt640):
#   gtest-mingw/   GoogleTest from Debian's /usr/src/googletest
#   libcsv-mingw/  libcsv from Debian's source package, as a DLL (LGPL-2.1+: shipped beside
#                  the programs, so a user can replace it) with its import library
#   qt6-mingw/     Qt 6 base (Core, Gui, Widgets, Test, the windows platform plugin) from
#                  Debian's qt6-base source, the version of the installed qt6-base-dev, with
#                  Debian's host moc/rcc/uic
# Each part is built only when it is missing; delete its folder to rebuild it.
# Sources come through `apt-get source` with a private deb-src list made from the machine's
# own apt configuration, so the system's sources stay as they are.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cache=${KVT_WIN_DEPS:-$HOME/.cache/kvt640}
jobs=${KVT_WIN_JOBS:-2}
toolchain=$root/cmake/toolchain-mingw64.cmake
mkdir -p "$cache/src" "$cache/build"
# One run at a time: a second one would build into the same folders.
exec 9>"$cache/.build-win-deps.lock"
flock 9
log() { printf '[win-deps %s] %s\n' "$(date -u +%H:%M:%S)" "$*"; }

install_tools() {
    local need=()
    # icoutils makes the program icon; Xvfb, xdotool and xwd let the desktop tool be used and
    # looked at under Wine.
    for p in mingw-w64 wine wine64 nsis dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools \
             googletest icoutils xvfb xdotool x11-apps python3; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || need+=("$p")
    done
    if ((${#need[@]})); then
        log "installing ${need[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${need[@]}"
    fi
}

# apt-get with a private list of deb-src entries: the machine's deb822 sources with
# Types: deb-src (and one-line sources.list entries turned into deb-src lines).
apt_src_dir=$cache/apt
apt_src() {
    apt-get -o Dir::Etc::SourceList="$apt_src_dir/sources.list" \
            -o Dir::Etc::SourceParts="$apt_src_dir/sources.list.d" \
            -o Dir::State::Lists="$apt_src_dir/lists" "$@"
}
make_source_list() {
    [[ -f $apt_src_dir/updated ]] && return
    rm -rf "$apt_src_dir"
    mkdir -p "$apt_src_dir/sources.list.d" "$apt_src_dir/lists/partial"
    : >"$apt_src_dir/sources.list"
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [[ -e $f ]] || continue
        sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$apt_src_dir/sources.list.d/$(basename "$f")"
    done
    if [[ -f /etc/apt/sources.list ]]; then
        sed -nE 's/^deb[[:space:]]+/deb-src /p' /etc/apt/sources.list >"$apt_src_dir/sources.list"
    fi
    log "updating the private deb-src lists"
    apt_src update -qq
    touch "$apt_src_dir/updated"
}
# fetch_source PACKAGE[=VERSION] DIR: unpacks the source package (Debian's patches applied)
# into $cache/src/DIR.
fetch_source() {
    local package=$1 dir=$2
    [[ -d $cache/src/$dir ]] && return
    make_source_list
    local tmp=$cache/src/.fetch-$dir
    rm -rf "$tmp" && mkdir -p "$tmp"
    (cd "$tmp" && apt_src source -q "$package")
    local unpacked
    unpacked=$(find "$tmp" -mindepth 1 -maxdepth 1 -type d | head -1)
    mv "$unpacked" "$cache/src/$dir"
    mkdir -p "$cache/src/$dir.debian-files"
    mv "$tmp"/* "$cache/src/$dir.debian-files/" 2>/dev/null || true
    rm -rf "$tmp"
}

build_gtest() {
    local prefix=$cache/gtest-mingw
    [[ -d $prefix ]] && return
    log "GoogleTest for MinGW-w64"
    local b=$cache/build/gtest
    rm -rf "$b"
    cmake -S /usr/src/googletest -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix.tmp" >/dev/null
    nice -n 19 cmake --build "$b" -j"$jobs" >/dev/null
    cmake --install "$b" >/dev/null
    mv "$prefix.tmp" "$prefix"
}

build_libcsv() {
    local prefix=$cache/libcsv-mingw
    [[ -d $prefix ]] && return
    fetch_source libcsv libcsv
    log "libcsv for MinGW-w64 (DLL)"
    local src=$cache/src/libcsv
    rm -rf "$prefix.tmp"
    mkdir -p "$prefix.tmp/bin" "$prefix.tmp/lib" "$prefix.tmp/include" "$prefix.tmp/share/doc/libcsv"
    # One C file; its autotools build would need libtool's -no-undefined dance for a DLL.
    x86_64-w64-mingw32-gcc-posix -O2 -shared -static-libgcc -I"$src" "$src/libcsv.c" \
        -o "$prefix.tmp/bin/libcsv-3.dll" -Wl,--out-implib,"$prefix.tmp/lib/libcsv.dll.a"
    cp "$src/csv.h" "$prefix.tmp/include/"
    cp "$src"/COPYING* "$src/debian/copyright" "$prefix.tmp/share/doc/libcsv/" 2>/dev/null || true
    mv "$prefix.tmp" "$prefix"
}

build_qt() {
    # Installed in place (its CMake files record the prefix); the stamp marks a finished build.
    local prefix=$cache/qt6-mingw
    [[ -f $prefix/.built ]] && return
    local version
    version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
    fetch_source "qt6-base=$version" qt6-base
    log "Qt $version for MinGW-w64 (nice -n 19, -j$jobs)"
    local b=$cache/build/qt6 start=$SECONDS
    # Only what the programs use: Widgets and the windows platform plugin (plus Qt Test for
    # the GUI tests). The bundled zlib, PCRE2, libpng and HarfBuzz stand in for Debian's, which
    # are not built for MinGW; Debian's source leaves out Wintab (its licence), so no tablets.
    # Without Direct2D, Qt Gui leaves out its DirectWrite font database while the windows
    # plugin still refers to it when directwrite3 is on (qwindows.dll then fails to link), so
    # both are off: the plugin uses the GDI font database, Qt 6.4's default anyway.
    local options=(-prefix "$prefix" -release -shared -xplatform win32-g++ -qt-host-path /usr
        -nomake tests -nomake examples -no-pch -no-opengl -no-dbus -no-icu -no-glib
        -no-feature-sql -no-feature-network -no-feature-printsupport -no-feature-concurrent
        -no-feature-xml -no-feature-vulkan -no-feature-tabletevent -no-feature-direct2d
        -no-feature-directwrite3 -no-freetype -no-libjpeg -qt-zlib -qt-pcre -qt-libpng
        -qt-harfbuzz -qt-doubleconversion
        -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH=/usr
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DQT_BUILD_TESTS=OFF
        -DQT_BUILD_EXAMPLES=OFF)
    # An interrupted build with the same options goes on where it stopped.
    if [[ ! -f $b/build.ninja || "$(cat "$b/.options" 2>/dev/null)" != "${options[*]}" ]]; then
        rm -rf "$b" && mkdir -p "$b"
        (cd "$b" && nice -n 19 "$cache/src/qt6-base/configure" "${options[@]}") \
            >"$cache/build/qt6-configure.log" 2>&1 ||
            { tail -40 "$cache/build/qt6-configure.log"; exit 1; }
        printf '%s' "${options[*]}" >"$b/.options"
    fi
    nice -n 19 cmake --build "$b" -j"$jobs" >"$cache/build/qt6-build.log" 2>&1 ||
        { grep -m20 -B2 -A8 'error' "$cache/build/qt6-build.log" || tail -40 "$cache/build/qt6-build.log"; exit 1; }
    rm -rf "$prefix"
    cmake --install "$b" >/dev/null
    # Qt is LGPL: the installer ships its licence beside the DLLs.
    cp -r "$cache/src/qt6-base/LICENSES" "$prefix/"
    touch "$prefix/.built"
    local took=$((SECONDS - start))
    printf '%s qt6-base %s: %d min %d s (nice -n 19, -j%s, %s cores)\n' "$(date -u +%FT%TZ)" \
        "$version" $((took / 60)) $((took % 60)) "$jobs" "$(nproc)" >>"$cache/build-times.txt"
    log "Qt built in $((took / 60)) min $((took % 60)) s"
}

install_tools
build_gtest
build_libcsv
build_qt
log "done: $cache"
