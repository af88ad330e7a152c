# Sourced: Wine for the Windows build's programs and tests. Arguments: the
# Wine prefix (made and started here) and Qt for Windows' prefix, whose DLLs
# and the compiler's runtime DLLs the programs find through WINEPATH, as an
# installed program finds those deployed beside it.
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
# One Wine server for all the programs that follow, rather than one each.
wineserver -k 2>/dev/null || true
wineserver -p
wineboot --init >/dev/null 2>&1 || true
WINEPATH="$(winepath -w "$2/bin")"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    WINEPATH="$WINEPATH;$(winepath -w "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")")"
done
export WINEPATH
# QtTest and Qt's messages to the pipe, not the debugger (Wine passes QT_
# variables on only when they come spelt WINEQT_).
export WINEQT_FORCE_STDERR_LOGGING=1
