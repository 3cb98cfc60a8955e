#!/bin/sh
# The game ($2) imports from KERNEL32.dll and msvcrt.dll only, binds the console
# functions by name instead of importing them, and calls msvcrt's own printf.
set -eu
dlls=$("$1" -p "$2" | sed -n 's/.*DLL Name: //p' | sort | tr '\n' ' ')
echo "imports from: $dlls"
test "$dlls" = "KERNEL32.dll msvcrt.dll "
bound='ReadConsoleW|SetConsoleCP|SetConsoleOutputCP|FormatMessageW|BCryptGenRandom'
"$1" -p "$2" | grep -wE "$bound" && exit 1
"$1" -t "$2" | grep -q _ZN5tavik
! "$1" -t "$2" | grep __mingw_vfprintf
