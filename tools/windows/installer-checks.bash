# The installer and the installed programs, as a Windows user gets them. Sourced by
# tools/test-windows.sh, which provides check(), $build, $logs, Wine and an X display.

install_dir=$WINEPREFIX/drive_c/Program\ Files/KVT-640
start_menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs

installer_file() { find "$build" -maxdepth 1 -name 'kvt640-*-win64.exe' | head -1; }

make_installer() {
    rm -f "$build"/kvt640-*-win64.exe
    (cd "$build" && cpack -G NSIS) && [[ -n $(installer_file) ]] &&
        file "$(installer_file)" | grep -q 'PE32+'
}

install_silently() {
    rm -rf "$install_dir"
    timeout 120 wine "$(installer_file)" /S && [[ -f $install_dir/bin/kvt640.exe ]]
}

installed_files() {
    local missing=0 f
    for f in bin/kvt640.exe bin/kvt640-cli.exe bin/kvt275r-sim.exe bin/platforms/qwindows.dll \
             bin/styles/qwindowsvistastyle.dll Uninstall.exe doc/user-guide.md \
             doc/libcsv/COPYING.LESSER doc/qt/LGPL-3.0-only.txt; do
        [[ -f $install_dir/$f ]] || { echo "not installed: $f"; missing=1; }
    done
    find "$start_menu" -name 'KVT-640.lnk' | grep -q . || { echo "no Start menu entry"; missing=1; }
    return $missing
}

# Every DLL an installed program or DLL imports is installed beside the programs or is part of
# Windows (in the prefix's system32, or an API set name the loader resolves); every DLL shipped
# beside the programs is imported by one of them. So the list in cmake/WindowsInstaller.cmake
# is neither short nor padded.
shipped_dlls_match_imports() {
    local system32=$WINEPREFIX/drive_c/windows/system32 status=0 file dll
    declare -A shipped=() used=()
    for file in "$install_dir"/bin/*.dll; do shipped[$(basename "${file,,}")]=1; done
    while IFS= read -r -d '' file; do
        while read -r dll; do
            used[$dll]=1
            [[ -n ${shipped[$dll]:-} || -f $system32/$dll || $dll == api-ms-win-* ]] && continue
            echo "${file#"$install_dir"/} imports $dll: neither shipped nor part of Windows"
            status=1
        done < <(x86_64-w64-mingw32-objdump -p "$file" | awk '/DLL Name:/ {print tolower($3)}')
    done < <(find "$install_dir" \( -name '*.exe' -o -name '*.dll' \) ! -name Uninstall.exe -print0)
    for dll in "${!shipped[@]}"; do
        [[ -n ${used[$dll]:-} ]] || { echo "shipped but imported by nothing: $dll"; status=1; }
    done
    echo "shipped: ${!shipped[*]}"
    return $status
}

installed_cli_runs() {
    local out
    out=$(wine "$install_dir/bin/kvt640-cli.exe" --version | tr -d '\r') && echo "$out" &&
        [[ $out == "kvt640-cli "[0-9]* ]]
}

# Pixels drawn on the screen apart from its background.
screen_ink() { xwd -root -silent >"$logs/screen.xwd" && python3 "$here/windows/screen-ink.py" \
    "$logs/screen.xwd" 0 0 1280 1024 "$logs/$1.png"; }

# until SECONDS COMMAND...: runs COMMAND every half second until it succeeds or time is up.
until_true() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.5
    done
}

# The installed desktop tool as a user works it, keyboard only, on the X screen: it opens with
# Chinese texts, finds the installed simulator's gateway on loopback, lists it, reads its
# configuration from the row chosen with the keyboard, shows the sheet, quits on Alt+F4 and
# keeps its settings in an INI file under %APPDATA%.
# The simulator's log says what reached the gateway.
desktop_tool_works() {
    local bin=$install_dir/bin ip=127.77.0.2 port=24801 simlog=$logs/desktop-sim.log
    wine "$bin/kvt275r-sim.exe" --device "ip=$ip,name=网关-1" --discovery-address "$ip" \
        --discovery-port "$port" --device-port $((port + 1)) --enip-port $((port + 2)) \
        >"$simlog" 2>&1 &
    local sim=$!
    wine "$bin/kvt640.exe" --lang zh --broadcast "$ip" --discovery-port "$port" \
        --device-port $((port + 1)) --local-address 127.0.0.1 --local-port $((port + 3)) &
    local tool=$! window status=1
    {
        window=$(timeout 60 xdotool search --sync --onlyvisible --name '^KVT-640$' | head -1) &&
            echo "main window $window" &&
            until_true 20 grep -q serving "$simlog" &&
            local empty && empty=$(screen_ink main-window) && echo "drawn pixels: $empty" &&
            ((empty > 20000)) &&
            # The focus starts on 搜索设备.
            xdotool windowfocus --sync "$window" key space &&
            until_true 30 grep -q 'discovery query' "$simlog" && sleep 3 &&
            screen_ink device-listed >/dev/null &&
            # The focus is on 指定IP搜索 after the search; five Tabs (past the disabled buttons)
            # reach the list, Home selects its first row and Enter reads that device: only a
            # listed device can be read.
            xdotool key Tab Tab Tab Tab Tab Home Return &&
            until_true 30 grep -q 'read user' "$simlog" &&
            timeout 30 xdotool search --sync --onlyvisible --name '用户参数配置' >/dev/null &&
            sleep 2 && screen_ink configuration-sheet >/dev/null &&
            xdotool key Escape && sleep 2 &&
            xdotool windowfocus --sync "$window" key alt+F4 &&
            until_true 30 eval '! kill -0 '"$tool"' 2>/dev/null' && wait "$tool" &&
            # Its settings (the window's place) went to %APPDATA%\kvt640 as an INI file.
            cat "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/kvt640/kvt640.ini && status=0
    } || true
    kill "$tool" 2>/dev/null
    kill -INT "$sim" 2>/dev/null
    wait "$sim" 2>/dev/null
    echo "simulator log:"
    cat "$simlog"
    return $status
}

uninstall_silently() {
    wine "$install_dir/Uninstall.exe" /S || return 1
    # The uninstaller copies itself away and removes the folder from there: wait for it.
    until_true 60 test ! -e "$install_dir" || { echo "still there:"; find "$install_dir"; return 1; }
    ! find "$start_menu" -name 'KVT-640.lnk' | grep -q . || { echo "Start menu entry left"; return 1; }
}

installer_checks() {
    check installer make_installer
    check silent-install install_silently || return
    check installed-files installed_files
    check installed-dlls shipped_dlls_match_imports
    check installed-cli-version installed_cli_runs
    check desktop-tool desktop_tool_works
    check silent-uninstall uninstall_silently
}
