#!/bin/sh
# Runs a Windows program under Wine with the build's own prefix: the emulator of the mingw-w64
# cross-build (cmake/Toolchain-mingw64.cmake). The prefix is <build folder>/wineprefix, found
# from the working directory upwards (ctest runs tests inside the build tree), unless the caller
# set WINEPREFIX. Wine's own chatter is silenced; the program's output passes through.
if [ -z "$WINEPREFIX" ]; then
    dir=$(pwd)
    while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do
        dir=$(dirname "$dir")
    done
    if [ "$dir" = / ]; then
        echo "wine-run.sh: run me inside a build folder or set WINEPREFIX" >&2
        exit 2
    fi
    WINEPREFIX="$dir/wineprefix"
fi
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# A new prefix is created quietly on first use (about 16 s).
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >"$WINEPREFIX/../wineboot.log" 2>&1
fi
# The server started here, not by wine: one wine starts would keep the caller's output pipe open
# (ctest waits on it) for as long as the server lingers. A server already up for the prefix
# makes this one exit at once.
wineserver -p10 </dev/null >/dev/null 2>&1
exec wine "$@"
