#!/usr/bin/env bash
# Fails when a Windows executable imports a DLL that the loader might take from the program's
# own folder. Only KnownDLLs (mapped from the system folder on Windows 7 and later, whatever lies
# beside the program) may be imported; everything else is bound at run time from the system
# folder (LoadSystemLibrary). comctl32, version, wininet, riched32 and shfolder are not KnownDLLs.
# Usage: check-imports.sh OBJDUMP EXE...
set -euo pipefail
objdump=$1; shift
allowed=(advapi32 comdlg32 gdi32 imm32 kernel32 msvcrt ole32 oleaut32 psapi rpcrt4 shell32
         shlwapi user32 ws2_32)
allowed=" ${allowed[*]/%/.dll} "
status=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  [ -n "$dlls" ] || { echo "check-imports: no import table found in $exe" >&2; status=1; continue; }
  for dll in $dlls; do
    case "$allowed" in
      *" $dll "*) echo "ok        $dll" ;;
      *) echo "FORBIDDEN $dll (imported by $(basename "$exe"))" >&2; status=1 ;;
    esac
  done
done
exit $status
