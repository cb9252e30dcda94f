#!/bin/sh
# Makes the Debian package from the build (cpack -G DEB) and checks it: its run-time
# dependencies declared, and the program, its libraries, its watchdog beside them, the
# desktop entry naming /usr/bin/orvane and the icons inside.
set -eu
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log" >&2; exit 1; }
deb=$(ls "$out"/*.deb)
depends=$(dpkg-deb --field "$deb" Depends)
for package in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libx11-6 libxrandr2 libsystemd0 tzdata; do
  case ", $depends," in
    *", $package,"* | *", $package ("*) ;;
    *) echo "Depends lacks $package: $depends" >&2; exit 1 ;;
  esac
done
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
for file in ./usr/bin/orvane ./usr/lib/orvane/glowkeeper ./usr/lib/orvane/libOrvaneRuntime.so \
            ./usr/lib/orvane/libOrvaneProgram.so ./usr/share/applications/orvane.desktop \
            ./usr/share/icons/hicolor/16x16/apps/orvane.png ./usr/share/icons/hicolor/512x512/apps/orvane.png; do
  echo "$contents" | grep -qx "$file" || { echo "the package lacks $file" >&2; exit 1; }
done
echo "$contents" | grep -q '^./usr/bin/glowkeeper$' && { echo "the watchdog is on PATH" >&2; exit 1; }
mkdir "$out/root"
dpkg-deb --extract "$deb" "$out/root"
grep -qx 'Exec=/usr/bin/orvane %u' "$out/root/usr/share/applications/orvane.desktop" ||
  { echo "the packaged entry does not run /usr/bin/orvane" >&2; exit 1; }
# The packaged program runs from where it was unpacked.
"$out/root/usr/bin/orvane" --version | grep -q '^Orvane ' || { echo "the packaged program does not run" >&2; exit 1; }
echo "package ok: $(basename "$deb"); Depends: $depends"
