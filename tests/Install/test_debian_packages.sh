#!/usr/bin/env bash
# Builds the Debian packages with CPack from the built tree and inspects them with dpkg-deb:
# names and versions, the Depends line of each, and their contents. Nothing is installed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
t_enter_tmpdir

t_case "CPack builds both packages"
cpack --config "$TESS_BUILD_DIR/CPackConfig.cmake" -B "$T_TMP/packages" >cpack.log 2>&1 ||
  { cat cpack.log >&2; t_fail "cpack failed"; }
shopt -s nullglob
viewer_debs=("$T_TMP"/packages/rigwright_*.deb)
engine_debs=("$T_TMP"/packages/libtesserant-dev_*.deb)
shopt -u nullglob
t_expect_eq "${#viewer_debs[@]}" 1 "rigwright packages built"
t_expect_eq "${#engine_debs[@]}" 1 "libtesserant-dev packages built"
VIEWER_DEB="${viewer_debs[0]}"
ENGINE_DEB="${engine_debs[0]}"
ARCH="$(dpkg --print-architecture)"
t_expect_eq "$(basename "$VIEWER_DEB")" "rigwright_1.0.0-1_${ARCH}.deb" "viewer package file name"

field() {
  dpkg-deb --field "$1" "$2"
}

# The package names of a Depends line, without versions and alternatives' bars.
depends_names() {
  field "$1" Depends | tr ',|' '\n\n' | sed -e 's/(.*)//' -e 's/[[:space:]]//g' | grep -v '^$' | sort -u
}

t_case "viewer package control fields"
t_expect_eq "$(field "$VIEWER_DEB" Package)" rigwright "Package"
t_expect_eq "$(field "$VIEWER_DEB" Version)" 1.0.0-1 "Version"
t_expect_eq "$(field "$VIEWER_DEB" Architecture)" "$ARCH" "Architecture"
t_expect_eq "$(field "$VIEWER_DEB" Section)" graphics "Section"
[[ -n "$(field "$VIEWER_DEB" Maintainer)" ]] || t_fail "no Maintainer"
t_expect_contains "$(field "$VIEWER_DEB" Description)" "equipment" "Description"

t_case "the viewer depends on its run-time libraries, the fonts and Mesa's drivers"
viewer_depends="$(depends_names "$VIEWER_DEB")"
for wanted in libsdl2-2.0-0 libx11-6 libassimp5 libepoxy0 liblua5.4-0 libfreetype6 libfontconfig1 libstdc++6 libc6 \
              libgl1 libgl1-mesa-dri fonts-liberation fonts-dejavu-core; do
  grep -qx "$wanted" <<<"$viewer_depends" || t_fail "Depends lacks $wanted: $(field "$VIEWER_DEB" Depends)"
done
# Nothing a user running the viewer does not need: no development packages, no test tools.
if grep -E -- '-dev$|^libgtest|^libbenchmark|^xvfb|^cmake' <<<"$viewer_depends"; then
  t_fail "Depends names build or test packages: $(field "$VIEWER_DEB" Depends)"
fi

t_case "every package the viewer depends on is a real Debian package"
# The machine that builds the viewer has every run-time dependency installed, so each name must
# be known to dpkg here; a misspelt name would make the package uninstallable.
for name in $viewer_depends; do
  dpkg-query --show --showformat='${Package}\n' "$name" >/dev/null 2>&1 ||
    t_fail "Depends names $name, which dpkg does not know"
done

t_case "viewer package contents"
dpkg-deb --contents "$VIEWER_DEB" >viewer-contents.txt
viewer_paths="$(awk '{print $6}' viewer-contents.txt | sed 's|^\./|/|')"
for path in /usr/bin/rigwright /usr/lib/rigwright/rigwright /usr/lib/rigwright/tesserant-import \
            /usr/share/applications/rigwright.desktop \
            /usr/share/mime/packages/rigwright.xml \
            /usr/share/icons/hicolor/scalable/apps/rigwright.svg \
            /usr/share/icons/hicolor/48x48/apps/rigwright.png \
            /usr/share/icons/hicolor/256x256/apps/rigwright.png \
            /usr/share/doc/rigwright/README.md; do
  grep -qxF "$path" <<<"$viewer_paths" || t_fail "the package lacks $path"
done
grep -E '^-rwxr-xr-x .* \./usr/bin/rigwright$' viewer-contents.txt >/dev/null ||
  t_fail "the launcher is not an executable file: $(grep '/usr/bin/rigwright$' viewer-contents.txt)"
grep -E '^-rwxr-xr-x .* \./usr/lib/rigwright/rigwright$' viewer-contents.txt >/dev/null ||
  t_fail "the program is not an executable file"
grep -E '^-rwxr-xr-x .* \./usr/lib/rigwright/tesserant-import$' viewer-contents.txt >/dev/null ||
  t_fail "the import helper is not an executable file"
if awk '$2 != "root/root"' viewer-contents.txt | grep .; then
  t_fail "files in the package are not owned by root"
fi
if grep -vE '^\./usr/|^/usr/' <<<"$(awk '{print $6}' viewer-contents.txt)" | grep -v '^\./$'; then
  t_fail "the package installs outside /usr"
fi
if grep -E '^/usr/(include|local)/|\.a$|/cmake/' <<<"$viewer_paths"; then
  t_fail "the viewer package carries development files"
fi

t_case "the viewer package carries every data file of the repository"
while IFS= read -r -d '' file; do
  relative="${file#"$TESS_SOURCE_DIR"/Data/}"
  [[ "$(basename "$relative")" == .gitkeep ]] && continue
  grep -qxF "/usr/share/rigwright/Data/$relative" <<<"$viewer_paths" ||
    t_fail "the package lacks Data/$relative"
done < <(find "$TESS_SOURCE_DIR/Data" -type f -print0)

t_case "the unpacked viewer package: launcher, program, desktop entry"
dpkg-deb --extract "$VIEWER_DEB" "$T_TMP/viewer-root"
ROOT="$T_TMP/viewer-root"
sh -n "$ROOT/usr/bin/rigwright" || t_fail "the launcher is not a valid shell script"
head -n 1 "$ROOT/usr/bin/rigwright" | grep -qx '#!/bin/sh' || t_fail "the launcher has no /bin/sh line"
# Stripped, and linked against the libraries its Depends line covers.
if readelf --sections "$ROOT/usr/lib/rigwright/rigwright" | grep -q '\.debug_info'; then
  t_fail "the program carries debug information"
fi
needed="$(readelf --dynamic "$ROOT/usr/lib/rigwright/rigwright" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p')"
t_expect_contains "$needed" "libSDL2-2.0.so.0" "the program's needed libraries"
t_expect_contains "$needed" "liblua5.4.so.0" "the program's needed libraries"
if grep -rlF "$TESS_BUILD_DIR" "$ROOT/usr/bin" "$ROOT/usr/share/applications" >/dev/null; then
  t_fail "an installed file names the build tree"
fi
DESKTOP="$ROOT/usr/share/applications/rigwright.desktop"
t_expect_eq "$(sed -n 's/^Type=//p' "$DESKTOP")" Application "desktop entry Type"
t_expect_eq "$(sed -n 's/^Exec=//p' "$DESKTOP")" "rigwright %F" "desktop entry Exec"
t_expect_eq "$(sed -n 's/^Icon=//p' "$DESKTOP")" rigwright "desktop entry Icon"
t_expect_eq "$(sed -n 's/^Terminal=//p' "$DESKTOP")" false "desktop entry Terminal"
t_expect_contains "$(sed -n 's/^Categories=//p' "$DESKTOP")" "Graphics;" "desktop entry Categories"
desktop-file-validate "$DESKTOP" || t_fail "desktop-file-validate rejects the desktop entry"

t_case "the desktop knows the files the viewer opens, and offers it for each"
# The package's MIME types merged with the system's into a database of the test's own, and the
# desktop entry's types indexed, as the dpkg triggers of shared-mime-info and
# desktop-file-utils do on installation.
SHARE="$T_TMP/xdg-share"
mkdir -p "$SHARE/mime/packages" "$SHARE/applications"
cp /usr/share/mime/packages/freedesktop.org.xml "$ROOT/usr/share/mime/packages/rigwright.xml" "$SHARE/mime/packages/"
cp "$DESKTOP" "$SHARE/applications/"
update-mime-database "$SHARE/mime" || t_fail "update-mime-database rejects the package's MIME types"
update-desktop-database "$SHARE/applications" || t_fail "update-desktop-database rejects the desktop entry"
xdg() {
  env -i PATH="$PATH" HOME="$T_TMP/xdg-home" XDG_DATA_HOME="$SHARE" XDG_DATA_DIRS="$SHARE" \
    XDG_CONFIG_HOME="$T_TMP/xdg-config" XDG_CONFIG_DIRS="$T_TMP/xdg-config" xdg-mime "$@"
}
printf 'MS3D000000\x04\x00\x00\x00' >"$T_TMP/part.ms3d"
printf 'ISO-10303-21;\nHEADER;\n' >"$T_TMP/pump.STEP"
printf 'solid x\nendsolid x\n' >"$T_TMP/body.stl"
for file_and_type in part.ms3d:model/x-milkshape-3d pump.STEP:model/step body.stl:model/stl; do
  t_expect_eq "$(xdg query filetype "$T_TMP/${file_and_type%%:*}")" "${file_and_type#*:}" "type of ${file_and_type%%:*}"
done
for type in model/step model/iges model/stl model/obj model/gltf+json model/gltf-binary application/vnd.ply \
            model/x-milkshape-3d; do
  t_expect_eq "$(xdg query default "$type")" rigwright.desktop "the application for $type"
done

t_case "engine package control fields and Depends"
t_expect_eq "$(field "$ENGINE_DEB" Package)" libtesserant-dev "Package"
t_expect_eq "$(field "$ENGINE_DEB" Version)" 1.0.0-1 "Version"
engine_depends="$(depends_names "$ENGINE_DEB")"
for wanted in libsdl2-dev libx11-dev libassimp-dev libocct-data-exchange-dev libocct-ocaf-dev libepoxy-dev liblua5.4-dev libstb-dev libfreetype-dev libfontconfig-dev pkg-config; do
  grep -qx "$wanted" <<<"$engine_depends" || t_fail "Depends lacks $wanted: $(field "$ENGINE_DEB" Depends)"
done

t_case "engine package contents"
engine_paths="$(dpkg-deb --contents "$ENGINE_DEB" | awk '{print $6}' | sed 's|^\./|/|')"
grep -qE '^/usr/include/Tesserant/Engine/Core/Log\.h$' <<<"$engine_paths" || t_fail "no Engine/Core/Log.h"
grep -qE '^/usr/lib/.*libTesserantEngine\.a$' <<<"$engine_paths" || t_fail "no static library"
grep -qE '^/usr/lib/.*cmake/Tesserant/TesserantConfig\.cmake$' <<<"$engine_paths" || t_fail "no package configuration"
grep -qE '^/usr/share/tesserant/Data/Effects/default\.fx$' <<<"$engine_paths" || t_fail "no engine data"
# The platform's own headers that include SDL or OpenGL stay behind.
if grep -E '/Engine/Platform/(GLDevice|GLObjects|SDLHandles)\.h$' <<<"$engine_paths"; then
  t_fail "the engine package carries platform headers that include SDL or OpenGL"
fi
if grep -E '^/usr/(bin|lib/rigwright)/' <<<"$engine_paths"; then
  t_fail "the engine package carries the viewer"
fi

echo "debian packages: all cases passed"
