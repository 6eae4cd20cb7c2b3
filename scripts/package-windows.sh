#!/usr/bin/env bash
# Builds the windows preset and packs it: build/helvanta-<version>-windows-x64.zip with
# helvanta.exe, the DLLs it loads, Template.csv, an example Helvanta.ini and
# README-windows.txt; and, with Debian's nsis installed, the installer
# build/helvanta-<version>-setup.exe (packaging/windows/helvanta.nsi).
# The dependency cache must be built first (scripts/build-mingw-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(Helvanta VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if [ -z "$version" ]; then
  echo "package-windows: no version in CMakeLists.txt's project()" >&2
  exit 1
fi
name=helvanta-$version-windows-x64

cmake --preset windows
cmake --build --preset windows --target helvanta

stage=build/windows-package/$name
rm -rf build/windows-package
mkdir -p "$stage"
# The build keeps its debug information; the package does not need it.
for file in build/windows/src/app/helvanta.exe build/windows/src/app/*.dll; do
  x86_64-w64-mingw32-strip -o "$stage/$(basename "$file")" "$file"
done
cp packaging/Template.csv packaging/Helvanta.ini packaging/windows/README-windows.txt "$stage/"

zip_file=build/$name.zip
rm -f "$zip_file"
(cd build/windows-package && zip -qr "../$name.zip" "$name")
echo "package-windows: $zip_file"

if command -v makensis >/dev/null; then
  setup=build/helvanta-$version-setup.exe
  makensis -V2 -DVERSION="$version" -DSTAGE="$PWD/$stage" -DOUTFILE="$PWD/$setup" packaging/windows/helvanta.nsi
  echo "package-windows: $setup"
else
  echo "package-windows: makensis is missing (Debian's nsis); no installer built"
fi
