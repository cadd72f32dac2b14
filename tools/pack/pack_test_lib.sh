# Sourced by the wexlin-pack tests: the arguments (WEXLIN_PACK WORK_DIR), an empty work folder
# to run in, fail, and a stand-in stub ("MZ" at 0, "PE" at 256) that build accepts.
pack=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

# stand_in_stub FILE
stand_in_stub() { { printf 'MZ'; head -c 254 /dev/zero; printf 'PE'; head -c 1790 /dev/zero; } >"$1"; }
