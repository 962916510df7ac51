#!/bin/sh
# Mounts (mount) or removes (unmount) the small real disk of the full-disk tests: a
# 1 MB tmpfs under the build folder, seen in the build's Wine prefix as drive T:, with
# a marker file the tests look for. Mounting needs root and a system that allows it;
# where it is refused, T: is simply not there and the tests skip.
# Usage: small_disk.sh mount|unmount <build-folder>
set -u
build=$2
place="$build/small-disk"
link="$build/wineprefix/dosdevices/t:"
release() {
  rm -f "$link"
  if mountpoint -q "$place" 2>/dev/null; then umount "$place" || umount -l "$place"; fi
  [ -d "$place" ] && rmdir "$place" 2>/dev/null
  return 0
}
release
[ "$1" = mount ] || exit 0
[ -d "$build/wineprefix/dosdevices" ] || { echo "small disk: no Wine prefix in $build"; exit 0; }
mkdir -p "$place"
if ! mount -t tmpfs -o size=1m,mode=0755 tessary-small-disk "$place" 2>/dev/null; then
  echo "small disk: mounting a tmpfs is not allowed here; the full-disk tests skip"
  rmdir "$place" 2>/dev/null
  exit 0
fi
printf 'a 1 MB disk for the full-disk tests\r\n' > "$place/small-disk.txt"
ln -sfn "$place" "$link"
echo "small disk: 1 MB tmpfs mounted at $place, drive T:"
