# Sourced by the scripts that build from Debian source packages: fetches one source package with
# a private source list, package lists and cache under DEPS/apt, so that nothing of the system's
# apt state changes. Usage: fetch_debian_source DEPS PACKAGE[=VERSION] DEST_DIR

# The first deb line of the machine's own apt configuration (one-line or deb822 form) gives the
# mirror and the release; the security and update suites carry no source of their own here.
apt_mirror_and_suite() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk '$1 == "deb" {
           i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
           if ($(i+1) !~ /-(security|updates|backports)/) { print $i, $(i+1); exit }
         }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
         {
           types = uris = suites = ""
           for (n = 1; n <= NF; n++) {
             if ($n ~ /^Types:/)  { types = $n;  sub(/^Types:[ \t]*/, "", types) }
             if ($n ~ /^URIs:/)   { uris = $n;   sub(/^URIs:[ \t]*/, "", uris) }
             if ($n ~ /^Suites:/) { suites = $n; sub(/^Suites:[ \t]*/, "", suites) }
           }
           if (types ~ /(^| )deb( |$)/ && uris != "" && suites != "") {
             split(uris, u, " "); split(suites, s, " ")
             if (s[1] !~ /-(security|updates|backports)/) { print u[1], s[1]; exit }
           }
         }' "$f"
  done
}

fetch_debian_source() {
  local deps=$1 package=$2 dest=$3 mirror suite
  read -r mirror suite < <(apt_mirror_and_suite | head -n 1) || true
  if [ -z "${mirror:-}" ] || [ -z "${suite:-}" ]; then
    echo "fetch_debian_source: no Debian mirror found in /etc/apt/sources.list*" >&2
    return 1
  fi
  echo "fetch_debian_source: fetching $package from $mirror $suite"
  local apt_dir=$deps/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$dest"
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  if [ -f "$keyring" ]; then
    echo "deb-src [signed-by=$keyring] $mirror $suite main" >"$apt_dir/sources.list"
  else
    echo "deb-src $mirror $suite main" >"$apt_dir/sources.list"
  fi
  local apt_opts=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o "Dir::Etc::sourceparts=-"
                  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
                  -o "APT::Sandbox::User=root")
  # Builds of different packages share the private lists: one update at a time.
  (
    flock 8
    apt-get "${apt_opts[@]}" -qq update
  ) 8>"$deps/.apt.lock" || return 1
  (cd "$dest" && apt-get "${apt_opts[@]}" -qq source "$package")
}

# The unpacked source of PACKAGE under DEPS/src, fetched once: prints its folder, which must
# hold MARKER (a file its build starts from). Usage: debian_source_dir DEPS PACKAGE MARKER
debian_source_dir() {
  local deps=$1 package=$2 marker=$3 dir attempt
  for attempt in found fetched; do
    dir=$(find "$deps/src" -maxdepth 1 -type d -name "$package-[0-9]*" 2>/dev/null | sort | tail -n 1)
    [ -n "$dir" ] && [ -f "$dir/$marker" ] && { echo "$dir"; return 0; }
    [ "$attempt" = found ] && { fetch_debian_source "$deps" "$package" "$deps/src" >&2 || return 1; }
  done
  echo "debian_source_dir: the $package source did not unpack" >&2
  return 1
}
