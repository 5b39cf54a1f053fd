# Which engine headers make up the installed, public surface. A header is internal when it
# includes a third-party header (SDL, X11, OpenGL through epoxy, FreeType, fontconfig, stb,
# assimp, Open CASCADE's .hxx headers, Lua) or an internal header: a program built against the installed engine has none of
# those include paths, and the platform layer keeps them to itself.

set(TESS_THIRD_PARTY_INCLUDE_REGEX
  "^[ \t]*#[ \t]*include[ \t]*[<\"](SDL|X11/|epoxy/|GL/|ft2build\\.h|freetype/|fontconfig/|stb|assimp/|lua|lauxlib|lualib|[A-Za-z0-9_]+\\.hxx)")

# Sets <out_public> to the engine headers (relative to <engine_dir>, "Core/Log.h" and so on) that
# are safe to install, and <out_internal> to the others.
function(tess_partition_engine_headers engine_dir out_public out_internal)
  # A new header re-runs the configuration, as a new source file does; scripts (cmake -P) have
  # no configuration to re-run.
  if(CMAKE_SCRIPT_MODE_FILE)
    file(GLOB_RECURSE headers RELATIVE ${engine_dir} ${engine_dir}/*.h)
  else()
    file(GLOB_RECURSE headers RELATIVE ${engine_dir} CONFIGURE_DEPENDS ${engine_dir}/*.h)
  endif()
  list(SORT headers)

  set(internal "")
  foreach(header ${headers})
    # The Windows backends' headers need the Windows SDK's, and belong to the backends alone.
    if(header MATCHES "^Platform/(Win32|Direct3D9)/")
      list(APPEND internal ${header})
      continue()
    endif()
    file(STRINGS ${engine_dir}/${header} lines REGEX "${TESS_THIRD_PARTY_INCLUDE_REGEX}")
    if(lines)
      list(APPEND internal ${header})
    endif()
  endforeach()

  # A header that includes an internal header is internal too; repeat until nothing changes,
  # as the inclusion may run through several headers.
  set(changed TRUE)
  while(changed)
    set(changed FALSE)
    foreach(header ${headers})
      if(header IN_LIST internal)
        continue()
      endif()
      file(STRINGS ${engine_dir}/${header} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"Engine/")
      foreach(line ${includes})
        string(REGEX REPLACE ".*\"Engine/([^\"]+)\".*" "\\1" included "${line}")
        if(included IN_LIST internal)
          list(APPEND internal ${header})
          set(changed TRUE)
          break()
        endif()
      endforeach()
    endforeach()
  endwhile()

  set(public ${headers})
  if(internal)
    list(REMOVE_ITEM public ${internal})
  endif()
  set(${out_public} ${public} PARENT_SCOPE)
  set(${out_internal} ${internal} PARENT_SCOPE)
endfunction()
