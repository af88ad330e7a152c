#!/usr/bin/env bash
# Tries the Windows packages under Wine, headless, in a Wine prefix of its own
# ($CHECK_WINEPREFIX, else a temporary one): the zip's files (nothing missing
# that they load, nothing they do not, no debugging information), the zip
# unpacked and run where it is; the installer silently installed, checked
# (files, Start-menu link, uninstall entry), installed again over itself
# with the user's settings and files planted, and uninstalled, leaving
# those. Given a list (KEN_ALL.CSV or ken_all.zip), the installed export
# writes Tokyo out of it, with -l and, where it has the settings bridge, from
# the user's data folder. Says what it checked; exits 1 at the first failure.
#
#   scripts/windows/check-installer.sh DOZUZEZO-<version>-win64-setup.exe DOZUZEZO-<version>-win64.zip [list]
set -Eeuo pipefail
trap 'echo "FAILED: line $LINENO: $BASH_COMMAND" >&2' ERR
[ $# -ge 2 ] || { echo "usage: $0 <setup.exe> <zip> [KEN_ALL.CSV | ken_all.zip]" >&2; exit 2; }
setup=$(realpath "$1") zip=$(realpath "$2") list=${3:+$(realpath "$3")}
root=$(cd "$(dirname "$0")/../.." && pwd)
version=$(basename "$setup" | sed -n 's/^DOZUZEZO-\(.*\)-win64-setup\.exe$/\1/p')
maker=${DOZUZEZO_MAKER_NAME:-$(sed -n 's/^set(DOZUZEZO_MAKER_NAME "\(.*\)" CACHE.*/\1/p' "$root/CMakeLists.txt")}

work=$(mktemp -d)
export WINEPREFIX=${CHECK_WINEPREFIX:-$work/prefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8  # Japanese names through Wine's command lines
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
wineboot --init >/dev/null 2>&1

ok() { echo "ok: $*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }
[ -n "$version" ] || fail "$setup is not named DOZUZEZO-<version>-win64-setup.exe"
[ -n "$maker" ] || fail "the maker's name is not in CMakeLists.txt: set DOZUZEZO_MAKER_NAME"
c=$WINEPREFIX/drive_c
inst="$c/Program Files/DOZUZEZO"
wininst='C:\Program Files\DOZUZEZO'
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/vevoz君"
appdata=$(winepath -u "$(wine cmd /c 'echo %APPDATA%' | tr -d '\r')")/DOZUZEZO/DOZUZEZO
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\DOZUZEZO'
settings_key='HKCU\Software\VB and VBA Program Settings\DOZUZEZO\Position'
# A program run to its end (and what it started), its output without CRs.
run() {
    local status=0
    wine "$@" >"$work/run.out" 2>&1 || status=$?
    wineserver -w
    tr -d '\r' <"$work/run.out"
    return $status
}
files() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
# A key's values as name=value lines, or nothing where it is absent.
values() {
    wine reg export "$1" "$work/key.reg" /y >/dev/null 2>&1 || return 0
    iconv -f UTF-16 -t UTF-8 "$work/key.reg" | tr -d '\r' | sed -n 's/^"\(.*\)"="\(.*\)"$/\1=\2/p' | sed 's/\\\\/\\/g'
}
has_value() { values "$1" | grep -qxF "$2"; }

# The zip: one folder; what its programs and libraries load is there or is
# Windows' own; each DLL at its top is loaded by one of them or is a module
# of the programs'; the window's plugins, Qt's texts and the licences of
# what is shipped, and nothing more;
# nothing carries symbols or debugging information.
mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
top=$(ls "$work/zip")
[ "$top" = "DOZUZEZO-$version-win64" ] || fail "the zip holds '$top', not one folder DOZUZEZO-$version-win64"
portable=$work/zip/$top
shipped=$(files "$portable")
echo "shipped ($(du -sh "$portable" | cut -f1)):" $shipped
[ -f "$portable/dozuzezo-export.exe" ] || fail "no dozuzezo-export.exe"
expected_extras=""
[ -f "$portable/dozuzezo.exe" ] && expected_extras="platforms/qwindows.dll tls/qschannelbackend.dll translations/qtbase_ja.qm"
extras=$(grep / <<<"$shipped" | grep -v '^licenses/' | xargs echo || true)
for licence in licenses/zlib/LICENSE licenses/libdeflate/COPYING licenses/libzip/LICENSE \
               ${expected_extras:+licenses/Qt/copyright.txt licenses/Qt/LGPL-3.txt}; do
    grep -qx "$licence" <<<"$shipped" || fail "the zip lacks $licence"
done
[ "$extras" = "$expected_extras" ] || fail "in subfolders: '$extras', expected '$expected_extras'"
imports=""
for f in $(grep -iE '\.(exe|dll)$' <<<"$shipped"); do
    ! x86_64-w64-mingw32-objdump -f "$portable/$f" | grep -qE 'HAS_DEBUG|HAS_SYMS' || fail "$f is not stripped"
    for dll in $(x86_64-w64-mingw32-objdump -p "$portable/$f" | sed -n 's/^\s*DLL Name: //p'); do
        imports+="${dll,,} "
        [ -n "$(find "$portable" -maxdepth 1 -iname "$dll")" ] || [ -e "$c/windows/system32/${dll,,}" ] ||
            [[ ${dll,,} == api-ms-win-* ]] || fail "$f loads $dll, which is neither shipped nor Windows' own"
    done
done
for f in $(grep -v / <<<"$shipped" | grep -i '\.dll$'); do
    [[ $f == dozuzezo-*.dll ]] || [[ " $imports" == *" ${f,,} "* ]] || fail "$f is shipped but nothing loads it"
done
ok "zip: one folder, every DLL loaded is there or Windows' own, none unused, all stripped"

# Run from where it was unpacked, from another current folder.
out=$(cd "$work" && run "$portable/dozuzezo-export.exe" --version) || fail "the zip's dozuzezo-export.exe --version: $out"
[[ $out == *"$version"* ]] || fail "the zip's dozuzezo-export.exe --version said '$out'"
ok "zip: dozuzezo-export.exe --version: $out"

# Tokyo as grep finds it in the list, to compare the export's output with.
if [ -n "$list" ]; then
    csv=$list
    if [[ ${list,,} == *.zip ]]; then
        (cd "$work" && cmake -E tar xf "$list") && csv=$(find "$work" -maxdepth 1 -iname ken_all.csv)
    fi
    LC_ALL=C grep -a '^13' "$csv" >"$work/tokyo.csv"
fi
bridge=""
[ -f "$portable/dozuzezo-settings-bridge.dll" ] && bridge=yes
# $1: the export; the rest its options. Tokyo, byte for byte.
exports_tokyo() {
    rm -f "$work/out.csv"
    run "$1" "${@:2}" -o "$(winepath -w "$work/out.csv")" 13 >/dev/null || fail "$* -o out.csv 13: $(cat "$work/run.out")"
    cmp -s "$work/out.csv" "$work/tokyo.csv" || fail "$* -o out.csv 13 did not write Tokyo's rows"
}
if [ -n "$list" ] && [ -n "$bridge" ]; then
    cp "$list" "$portable/"
    (cd "$work" && exports_tokyo "$portable/dozuzezo-export.exe")
    ok "zip: dozuzezo-export.exe 13 wrote Tokyo's $(wc -l <"$work/tokyo.csv") rows from the list beside it"
fi

install_it() {
    local status=0
    wine "$setup" /S "$@" || status=$?
    wineserver -w
    [ "$status" -eq 0 ] || fail "$(basename "$setup") /S ended with status $status"
}
installed_as_shipped() {
    [ "$(files "$inst" | grep -vxF -e Uninstall.exe -e mine.txt)" = "$shipped" ] ||
        fail "installed files differ from the zip's: $(files "$inst" | xargs echo)"
    for f in $shipped; do
        cmp -s "$portable/$f" "$inst/$f" || fail "installed $f differs from the zip's"
    done
}

install_it
installed_as_shipped
[ -f "$inst/Uninstall.exe" ] || fail "no Uninstall.exe"
ok "installed in $wininst: the zip's files, byte for byte, and Uninstall.exe"
if [ -f "$inst/dozuzezo.exe" ]; then
    [ -f "$menu/vevoz君.lnk" ] && grep -qa 'dozuzezo.exe' "$menu/vevoz君.lnk" || fail "no Start-menu link vevoz君 to dozuzezo.exe"
    ok "Start menu: vevoz君/vevoz君.lnk to dozuzezo.exe"
    icon=dozuzezo.exe
else
    icon=dozuzezo-export.exe
fi
for v in "DisplayName=vevoz君" "DisplayVersion=$version" "Publisher=$maker" \
         "DisplayIcon=$wininst\\$icon" "UninstallString=\\\"$wininst\\Uninstall.exe\\\""; do
    has_value "$uninstall_key" "$v" || fail "uninstall entry: no $v in: $(values "$uninstall_key" | xargs echo)"
done
ok "uninstall entry: DisplayName, DisplayVersion $version, Publisher $maker, DisplayIcon, UninstallString"
if [ -f "$inst/dozuzezo.exe" ] && command -v xvfb-run >/dev/null; then
    # The window on a screen of its own for 20 s: still running at the end,
    # its platform plugin the shipped one, every DLL from its folder or Windows'.
    wineserver -k; wineserver -w
    status=0
    WINEDEBUG=+loaddll timeout 20 xvfb-run -a wine "$inst/dozuzezo.exe" >"$work/gui.log" 2>&1 || status=$?
    wineserver -k 2>/dev/null || true; wineserver -w
    [ "$status" -eq 124 ] || fail "dozuzezo.exe ended with status $status: $(tail -5 "$work/gui.log")"
    loaded=$(sed -n 's/.*Loaded L"\(.*\)" at .*: native$/\1/p' "$work/gui.log" | sed 's/\\\\/\\/g')
    grep -qixF "$wininst\\platforms\\qwindows.dll" <<<"$loaded" || fail "dozuzezo.exe did not load the shipped qwindows.dll"
    foreign=$(grep -viE "^(${wininst//\\/\\\\}|C:\\\\windows)\\\\" <<<"$loaded" || true)
    [ -z "$foreign" ] || fail "dozuzezo.exe loaded from elsewhere: $foreign"
    ok "dozuzezo.exe ran for 20 s under Xvfb with its own qwindows.dll, every DLL from its folder or Windows'"
elif [ -f "$inst/dozuzezo.exe" ]; then
    echo "note: no xvfb-run (package xvfb): dozuzezo.exe not started"
fi
out=$(run "$inst/dozuzezo-export.exe" --version) || fail "the installed dozuzezo-export.exe --version: $out"
[[ $out == *"$version"* ]] || fail "the installed dozuzezo-export.exe --version said '$out'"
ok "installed dozuzezo-export.exe --version: $out"
if [ -n "$list" ]; then
    exports_tokyo "$inst/dozuzezo-export.exe" -l "$(winepath -w "$list")"
    ok "installed dozuzezo-export.exe -l $(basename "$list") 13 wrote Tokyo's rows"
fi

# The user's own: a setting, a file in their data folder (the list, where one
# is given), a file of theirs in the program's folder. A mark in the
# uninstall entry shows the old copy was uninstalled before the new one.
wine reg add "$settings_key" /v K_Left /d 1500 /f >/dev/null 2>&1
mkdir -p "$appdata"
if [ -n "$list" ]; then mine=$appdata/$(basename "$list"); cp "$list" "$mine"; else mine=$appdata/mine.txt; echo mine >"$mine"; fi
cp "$mine" "$work/mine.saved"
echo mine >"$inst/mine.txt"
wine reg add "$uninstall_key" /v OldCopy /d 1 /f >/dev/null 2>&1
users_data_kept() {
    has_value "$settings_key" "K_Left=1500" || fail "$1: the user's setting K_Left is gone"
    cmp -s "$mine" "$work/mine.saved" || fail "$1: $mine is gone or changed"
    [ "$(cat "$inst/mine.txt" 2>/dev/null)" = mine ] || fail "$1: the user's mine.txt in the program's folder is gone"
}
if [ -n "$list" ] && [ -n "$bridge" ]; then
    exports_tokyo "$inst/dozuzezo-export.exe"
    ok "installed dozuzezo-export.exe 13 wrote Tokyo's rows from the list in %APPDATA%\\DOZUZEZO\\DOZUZEZO"
fi

install_it
installed_as_shipped
! has_value "$uninstall_key" "OldCopy=1" || fail "upgrade: the installed copy was not uninstalled first"
has_value "$uninstall_key" "DisplayVersion=$version" || fail "upgrade: no uninstall entry"
users_data_kept upgrade
ok "upgrade: the old copy uninstalled first, the new one as shipped; the user's setting and files kept"

run "$inst/Uninstall.exe" /S >/dev/null  # copies itself and returns; run waits for the copy
left=$(files "$inst" | { grep -vxF mine.txt || true; } | xargs echo)
[ -z "$left" ] || fail "uninstall left: $left"
[ ! -e "$menu" ] || fail "uninstall left the Start-menu folder: $(ls "$menu" | xargs echo)"
[ -z "$(values "$uninstall_key")" ] || fail "uninstall left its uninstall entry"
users_data_kept uninstall
ok "uninstall: every file it installed, its Start-menu folder and uninstall entry gone; the user's setting and files kept"
# A copy the user put elsewhere is upgraded where it is.
other="$c/ツール/DOZUZEZO"
install_it '/D=C:\ツール\DOZUZEZO'
install_it
[ -f "$other/dozuzezo-export.exe" ] && [ ! -e "$inst/dozuzezo-export.exe" ] || fail "upgrade: not where the old copy is"
run "$other/Uninstall.exe" /S >/dev/null
[ ! -e "$other" ] || fail "uninstall left $other: $(files "$other" | xargs echo)"
ok "upgrade of a copy in C:\ツール\DOZUZEZO: installed there again; uninstalled, nothing left"
echo "check-installer: all passed ($(basename "$setup"), $(basename "$zip"))"
