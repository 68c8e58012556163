#!/usr/bin/env bash
# Installs the built program into a scratch root, builds its Debian package,
# and starts the installed program as the desktop menu would: away from any
# source tree, for a user who has never run it, with no screen.
#   tools/check-install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
fail() { echo "check-install: $*" >&2; exit 1; }

shipped=(
  usr/bin/paikao
  usr/share/paikao/schema.sql
  usr/share/paikao/Project2.rav
  usr/share/applications/paikao.desktop
  usr/share/icons/hicolor/scalable/apps/paikao.svg
  usr/share/doc/paikao/guide/index.html
)

# The files, installed into the scratch root.
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
for f in "${shipped[@]}"; do
  [ -f "$root/$f" ] || fail "$f was not installed"
done
file -b "$root/usr/bin/paikao" | grep -q '^ELF .* executable' || fail "usr/bin/paikao is not a program"
entry=$root/usr/share/applications/paikao.desktop
desktop-file-validate "$entry" || fail "the desktop entry is not valid"
grep -qx 'Name=缓补考排考系统' "$entry" || fail "the desktop entry has another name"
grep -qx 'Categories=Office;' "$entry" || fail "the desktop entry is not in the Office category"
grep -qx 'Icon=paikao' "$entry" || fail "the desktop entry names another icon"
rsvg-convert -w 48 "$root/usr/share/icons/hicolor/scalable/apps/paikao.svg" >/dev/null || fail "the icon cannot be drawn"
cmp -s data/schema.sql "$root/usr/share/paikao/schema.sql" || fail "the installed schema differs"
cmp -s data/Project2.rav "$root/usr/share/paikao/Project2.rav" || fail "the installed report project differs"
guide=$root/usr/share/doc/paikao/guide
pictures=$(grep -o 'src="images/[^"]*"' "$guide/index.html" | sed 's/^src="//; s/"$//' | sort -u)
[ -n "$pictures" ] || fail "the guide shows no pictures"
for p in $pictures; do
  [ -s "$guide/$p" ] || fail "the guide's picture $p was not installed"
  file -b "$guide/$p" | grep -q '^PNG image' || fail "the guide's picture $p is no PNG"
done

# The package holds the same files and names what is loaded at run time.
(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
deb=$(ls "$scratch"/package/paikao_*.deb)
listed=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in "${shipped[@]}"; do
  grep -qx "./$f" <<<"$listed" || fail "the package lacks $f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6sql6-sqlite fonts-wqy-microhei fonts-babelstone-han libqt6widgets6; do
  grep -q "$p" <<<"$depends" || fail "the package does not depend on $p"
done

# First start: headless, from a folder without data/, a fresh user.
home=$scratch/home
mkdir -p "$home"
user_env=(env HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$scratch" LC_ALL=C.UTF-8)
status=0
(cd "$home" && "${user_env[@]}" QT_QPA_PLATFORM=offscreen timeout 5 "$root/usr/bin/paikao") || status=$?
[ "$status" -eq 124 ] || fail "the installed program ended by itself (status $status)"
folder=$home/.local/share/paikao/data
[ -f "$folder/data.mdb" ] || fail "the first start made no data.mdb"
sqlite3 "$scratch/reference.mdb" <data/schema.sql
schema_of() { sqlite3 "$1" "select type, name, sql from sqlite_master order by type, name"; }
[ "$(schema_of "$folder/data.mdb")" = "$(schema_of "$scratch/reference.mdb")" ] \
  || fail "the database made on first start differs from the schema"
cmp -s data/Project2.rav "$folder/Project2.rav" || fail "the first start did not copy the report project"

# Second start, on a virtual screen: the login window shows, and the user's
# own report project is kept.
echo "# 本校的版式" >>"$folder/Project2.rav"
cp "$folder/Project2.rav" "$scratch/own.rav"
cat >"$scratch/login.sh" <<EOF
"$root/usr/bin/paikao" & program=\$!
shown=1
for _ in \$(seq 50); do
  if xwininfo -name 'h — 缓补考排考系统' 2>/dev/null | grep -q 'Map State: IsViewable'; then shown=0; break; fi
  sleep 0.2
done
kill \$program
exit \$shown
EOF
(cd "$home" && "${user_env[@]}" timeout 60 xvfb-run -a bash "$scratch/login.sh") || fail "the login window did not show"
cmp -s "$scratch/own.rav" "$folder/Project2.rav" || fail "a later start replaced the user's report project"

# The guide opens from the help menu (its key, F1) after the login, from
# the installed files.
cat >"$scratch/guide.sh" <<EOF
window() { xwininfo -name "\$1 — 缓补考排考系统" 2>/dev/null; }
shown() {
  for _ in \$(seq 50); do
    window "\$1" | grep -q 'Map State: IsViewable' && return 0
    sleep 0.2
  done
  return 1
}
focus() { xdotool windowfocus --sync "\$(window "\$1" | awk '/Window id:/ {print \$4}')"; }
"$root/usr/bin/paikao" & program=\$!
opened=1
if shown h; then
  focus h
  xdotool key Tab type kqz
  xdotool key Return
  if shown 管理界面; then
    focus 管理界面
    xdotool key F1
    shown 使用说明 && opened=0
  fi
fi
kill \$program
exit \$opened
EOF
(cd "$home" && "${user_env[@]}" timeout 60 xvfb-run -a bash "$scratch/guide.sh") || fail "the guide did not open from the menu"

echo "check-install: installed files, guide, package and first start are as they should be"
