#!/usr/bin/env bash
# Tries the Debian package as a person would (make test-package, as root): installs it with
# apt-get, opens an info file through xdg-open as an ordinary user with an empty home (the
# record editor must open), starts kinora and kinora-cli as that user (the library must go to
# ~/.local/share/kinora), purges the package and checks that nothing of it is left below /usr,
# /etc and /var/lib/dpkg/info. The machine is left as it was found: a kinora package installed
# before is put back, packages the install brought along go again.
# Usage: scripts/test-package.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:-build}")
[ "$(id -u)" -eq 0 ] || { echo "test-package: needs root" >&2; exit 1; }
debs=("$build"/kinora_*_amd64.deb)
[ -f "${debs[0]}" ] || { echo "test-package: no package in $build (make package)" >&2; exit 1; }
deb=${debs[0]}

export DEBIAN_FRONTEND=noninteractive
# Another apt run holding the lock is waited for rather than failed on.
apt_get() { apt-get -y -qq -o DPkg::Lock::Timeout=300 "$@"; }
work=$(mktemp -d /tmp/kinora-test-package.XXXXXX)
chmod 755 "$work"
home=$work/home
mkdir "$home"
chown nobody:nogroup "$home"

fail() { echo "test-package: $*" >&2; exit 1; }
installed() { dpkg-query -W -f='${Status}' kinora 2>/dev/null | grep -q 'install ok installed'; }
snapshot() {
  find /usr /etc /var/lib/dpkg/info -xdev -print 2>/dev/null | sort > "$1"
  dpkg-query -W -f='${Package}\n' | sort > "$1.packages"
}

# A kinora installed before goes aside as a package of its own and comes back at the end.
restore() {
  local status=$?
  set +e
  if installed; then apt_get purge kinora > /dev/null; fi
  if [ -f "$work/before.packages" ]; then
    dpkg-query -W -f='${Package}\n' | sort > "$work/now.packages"
    mapfile -t brought < <(comm -13 "$work/before.packages" "$work/now.packages")
    [ ${#brought[@]} -eq 0 ] || apt_get purge "${brought[@]}" > /dev/null
  fi
  if [ -n "${previous:-}" ]; then
    apt_get install --allow-downgrades "$work"/previous/kinora_*.deb > /dev/null 2>&1 ||
      echo "test-package: the kinora installed before could not be put back" >&2
  fi
  rm -rf "$work"
  exit $status
}
trap restore EXIT

previous=""
if installed; then
  previous=$(dpkg-query -W -f='${Version}' kinora)
  mkdir "$work/previous"
  (cd "$work/previous" && dpkg-repack kinora > /dev/null)
  apt_get purge kinora > /dev/null
fi
snapshot "$work/before"

echo "test-package: installing $(basename "$deb")"
apt_get install "$deb" > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install failed"; }
for f in /usr/bin/kinora /usr/bin/kinora-cli /usr/share/applications/tessaro-kinora.desktop \
         /usr/share/mime/packages/tessaro-kinora.xml /usr/share/mime/application/x-tessaro-kinora.xml \
         /usr/share/metainfo/de.tessaro.kinora.metainfo.xml /usr/share/man/de/man1/kinora.1.gz \
         /usr/share/man/de/man1/kinora-cli.1.gz \
         /usr/share/icons/hicolor/48x48/apps/tessaro-kinora.png; do
  [ -f "$f" ] || fail "$f is missing after the install"
done

# Everything the user does, as nobody with the empty home, without a locale. Quoted so that
# the variables are the user's.
cat > "$work/as-user.sh" <<'EOF'
set -euo pipefail
fail() { echo "test-package (user): $*" >&2; exit 1; }
library=$HOME/.local/share/kinora

# xdg-open on an info file in a home that never saw Kinora: the package's desktop entry and
# type alone lead to the record editor, the window titled "Editor - Kinora". As on a GNOME
# desktop, xdg-open hands the file to gio, which knows the types of shared-mime-info.
printf '{"Title":"Alien","Year":"1979"}' | kinora-cli write "$HOME/Alien.knr"
XDG_CURRENT_DESKTOP=GNOME setsid xdg-open "$HOME/Alien.knr" > "$HOME/xdg-open.log" 2>&1 &
opener=$!
trap 'kill -- -"$opener" 2>/dev/null || true' EXIT
for _ in $(seq 300); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Editor - Kinora"'; then editor=1; break; fi
  sleep 0.2
done
xwininfo -root -tree | grep -q '"Kinora - Tessaro"' && fail "xdg-open started the main window"
kill -- -"$opener" 2>/dev/null || true
wait "$opener" 2>/dev/null || true
[ -n "${editor:-}" ] || { cat "$HOME/xdg-open.log" >&2; fail "xdg-open did not open the record editor"; }

# The first start makes the library in the user's data folder and registers the type there.
QT_QPA_PLATFORM=offscreen kinora --exit-after-start > "$HOME/start.log" 2>&1 ||
  { cat "$HOME/start.log" >&2; fail "kinora --exit-after-start failed"; }
grep -qx 'ready 0' "$HOME/start.log" || fail "kinora did not list the empty library"
[ -f "$library/Collection.db" ] || fail "no library in $library"

mkdir -p "$library/Data/Alien"
cp "$HOME/Alien.knr" "$library/Data/Alien/Alien.knr"
[[ $(kinora-cli list) == *'"Title":"Alien"'* ]] || fail "kinora-cli does not list the film in $library"
[[ $(kinora-cli --help) == *'sonst ~/.local/share/kinora'* ]] || fail "kinora-cli --help"
[[ $(kinora-cli show --bogus 2>&1) == *"Unbekannte Option 'bogus'"* ]] ||
  fail "kinora-cli's errors are not German"
EOF
echo "test-package: using it as an ordinary user"
setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env -i HOME="$home" PATH=/usr/bin:/bin LANG=C \
  xvfb-run -a -s '-screen 0 1280x1024x24' bash "$work/as-user.sh" ||
  fail "the package does not work for an ordinary user"

echo "test-package: purging"
apt_get purge kinora > /dev/null
snapshot "$work/after"
mapfile -t brought < <(comm -13 "$work/before.packages" "$work/after.packages")
if [ ${#brought[@]} -ne 0 ]; then
  apt_get purge "${brought[@]}" > /dev/null
  snapshot "$work/after"
fi
if ! diff "$work/before" "$work/after" > "$work/left"; then
  cat "$work/left" >&2
  fail "files changed below /usr, /etc or /var/lib/dpkg/info after the purge"
fi
echo "test-package: installed, used, purged; nothing left outside the user's home"
