#!/usr/bin/env bash
# Makes doc/zintarapolke.png again: builds the game, plays it in an 80 x 24
# tmux pane until the snake has eaten a few foods, and draws the captured
# pane with its colours (doc/picture.py). Installs its Debian packages when
# run as root, as CI does; the picture is made by hand, not in CI.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
command -v tmux >/dev/null || need+=(tmux)
/usr/bin/python3 -c 'import PIL' 2>/dev/null || need+=(python3-pil)
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf ] || need+=(fonts-dejavu-core)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "make-picture: install ${need[*]} first" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}"
fi

make -s build/CMakeCache.txt
cmake --build build --target zintarapolke
/usr/bin/python3 doc/picture.py build/zintarapolke doc/zintarapolke.png
echo "make-picture: doc/zintarapolke.png, $(wc -c <doc/zintarapolke.png) bytes"
