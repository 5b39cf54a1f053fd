# Debian packages through CPack: "rigwright" (the viewer, runnable from the desktop menu) and
# "libtesserant-dev" (the engine for other programs). Build them in a built tree with
#   cpack --config build/CPackConfig.cmake -B build/packages
set(TESS_PACKAGE_MAINTAINER "Tesserant developers <developers@tesserant.example>"
  CACHE STRING "Maintainer named in the Debian packages")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rigwright)
set(CPACK_PACKAGE_VENDOR "Tesserant")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TESS_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL viewer development)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# The viewer: dpkg-shlibdeps names the libraries the program and its import helper link (SDL2,
# epoxy, Lua, FreeType, fontconfig, assimp, Open CASCADE, the C++ runtime); what it loads at run time without linking is named here: the
# OpenGL dispatch library and Mesa's drivers that epoxy and SDL open, and the fonts that the
# renderer's face names resolve to through fontconfig.
set(CPACK_DEBIAN_VIEWER_PACKAGE_NAME rigwright)
set(CPACK_DEBIAN_VIEWER_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_VIEWER_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_VIEWER_PACKAGE_DEPENDS
  "libgl1, libgl1-mesa-dri, fonts-liberation, fonts-dejavu-core")
set(CPACK_DEBIAN_VIEWER_DESCRIPTION "interactive 3D viewer for a piece of equipment
Rigwright shows the parts of a gate valve with an animated outline. Orbit and zoom
around a part with the mouse, step through the parts with a part-information panel,
toggle wireframe and take screenshots. It keeps its log and screenshots in
~/.local/state/rigwright.")

# The engine: a static library, so a program built against it links the same libraries; their
# development packages bring the headers and pkg-config files the package configuration uses.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libtesserant-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
  "cmake (>= 3.25), pkg-config, libsdl2-dev, libx11-dev, libepoxy-dev, liblua5.4-dev, libstb-dev, libfreetype-dev, libfontconfig-dev, libassimp-dev, libocct-data-exchange-dev, libocct-ocaf-dev, libocct-modeling-algorithms-dev")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Tesserant real-time 3D engine (static library and headers)
Tesserant is the small real-time 3D engine Rigwright is built on: a main loop, a scene
graph, a renderer with effect files, render views and cameras, GUI controls and an input
engine. This package holds the static library, its headers under
/usr/include/Tesserant, the CMake package (find_package(Tesserant), target
Tesserant::Engine) and the engine's own run-time data.")

include(CPack)
