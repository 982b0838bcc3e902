#!/usr/bin/env bash
# package.sh: the release files of the system, in build/package/:
#   orvik-setup-VERSION.exe        the installer: the 64-bit programs on 64-bit Windows, the 32-bit
#                                  ones on 32-bit Windows (a 32-bit program itself, so it runs on both)
#   orvik-setup-VERSION-x64.exe    the same installer as a 64-bit program with the 64-bit set only,
#                                  for systems without 32-bit support (and for Wine on this machine)
#   orvik-VERSION-win64.zip        the three programs and the licence, without an installer
#   orvik-VERSION-win32.zip
#   SHA256SUMS
# The version is project()'s in CMakeLists.txt. Builds the programs it packs in the win64 and win32
# builds (a no-op after a full build); the packed copies are stripped of their debugging symbols.
#
#   tools/package.sh [--no-build]
# ORVIK_WIN64_BUILD and ORVIK_WIN32_BUILD name other build directories (default build/win64 and
# build/win32; made with the presets when missing); ORVIK_PACKAGE_DIR another output directory.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$SECONDS
out=${ORVIK_PACKAGE_DIR:-$root/build/package}
declare -A build_dir=([win64]=${ORVIK_WIN64_BUILD:-$root/build/win64} [win32]=${ORVIK_WIN32_BUILD:-$root/build/win32})
declare -A strip_tool=([win64]=x86_64-w64-mingw32-strip [win32]=i686-w64-mingw32-strip)
programs=(orvik_ups.exe orvik_dll.dll scopeview.exe)

build=1
case ${1:-} in
  --no-build) build=0 ;;
  '') ;;
  *) sed -n '2,17p' "$0" >&2; exit 2 ;;
esac

version=$(sed -n 's/^project(orvik_ups VERSION \([0-9]*\.[0-9]*\.[0-9]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package.sh: no x.y.z version in CMakeLists.txt's project()" >&2; exit 1; }
[ $build -eq 0 ] || tools/setup.sh
command -v makensis >/dev/null || { echo "package.sh: makensis is missing (tools/setup.sh installs it)" >&2; exit 1; }

stage=$out/stage
rm -rf "$stage"
mkdir -p "$stage"
for preset in win64 win32; do
  dir=${build_dir[$preset]}
  if [ $build -eq 1 ]; then
    tools/build.sh "$preset" --dir "$dir" orvik_ups orvik_dll scopeview || exit 1
  fi
  set_dir=$stage/orvik-$version-$preset
  mkdir -p "$set_dir"
  for program in "${programs[@]}"; do
    [ -f "$dir/bin/$program" ] || { echo "package.sh: $dir/bin/$program is missing" >&2; exit 1; }
    "${strip_tool[$preset]}" -o "$set_dir/$program" "$dir/bin/$program"
  done
  cp installer/LICENSE.txt "$set_dir/"
done

size() { du -sk "$stage/orvik-$version-$1" | cut -f1; }
nsis=(makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSET64="$stage/orvik-$version-win64")
"${nsis[@]}" -DSET32="$stage/orvik-$version-win32" -DSIZE64="$(size win64)" -DSIZE32="$(size win32)" \
  -DOUTFILE="$out/orvik-setup-$version.exe" installer/orvik.nsi
"${nsis[@]}" -DX64_ONLY -DOUTFILE="$out/orvik-setup-$version-x64.exe" installer/orvik.nsi

for preset in win64 win32; do
  rm -f "$out/orvik-$version-$preset.zip"
  (cd "$stage" && zip -q -r -X "$out/orvik-$version-$preset.zip" "orvik-$version-$preset")
done

cd "$out"
files=("orvik-setup-$version.exe" "orvik-setup-$version-x64.exe" "orvik-$version-win64.zip" "orvik-$version-win32.zip")
sha256sum "${files[@]}" >SHA256SUMS
for file in "${files[@]}"; do printf '   %-34s %6d KiB\n' "$file" $(( $(stat -c %s "$file") / 1024 )); done
echo "package.sh: version $version in $out ($((SECONDS - start)) s)"
