#!/usr/bin/env bash
# Makes the icon again: doc/icons/zintarapolke-<size>.png at 16 to 256 pixels
# (doc/icon.py draws them) and the Windows doc/icons/zintarapolke.ico built
# from them, its 128- and 256-pixel images kept as PNG inside (Windows Vista
# and later read them so). The output is committed, so a build needs none of
# the tools used here. Installs its Debian packages when run as root, as
# make-picture.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
/usr/bin/python3 -c 'import PIL' 2>/dev/null || need+=(python3-pil)
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf ] || need+=(fonts-dejavu-core)
command -v icotool >/dev/null || need+=(icoutils)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "make-icon: install ${need[*]} first" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}"
fi

mkdir -p doc/icons
/usr/bin/python3 doc/icon.py doc/icons
icotool -c -o doc/icons/zintarapolke.ico doc/icons/zintarapolke-{16,32,48,64}.png \
  -r doc/icons/zintarapolke-128.png -r doc/icons/zintarapolke-256.png
icotool -l doc/icons/zintarapolke.ico
echo "make-icon: doc/icons, $(du -cb doc/icons/* | tail -1 | cut -f1) bytes"
