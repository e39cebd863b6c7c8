# Copies the data folders next to the programs in build/ on every build, and installs them.
set(Q840_DATA_FOLDERS skin DefaultData SDK Update)
foreach(folder IN LISTS Q840_DATA_FOLDERS)
  list(APPEND _q840_copy_cmds
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/${folder} ${Q840_OUTPUT_DIR}/${folder})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/${folder}/ DESTINATION ${Q840_INSTALL_DIR}/${folder}
          PATTERN "README.md" EXCLUDE PATTERN ".gitkeep" EXCLUDE)
endforeach()
add_custom_target(q840_data ALL ${_q840_copy_cmds} COMMENT "Copying data folders into the build tree")

# Fonts come from Debian's Noto packages; a font that is not installed is left out, and the
# program skips a missing font file at start-up.
set(Q840_FONT_SOURCES
  "NotoSansThai-Regular.ttf=/usr/share/fonts/truetype/noto/NotoSansThai-Regular.ttf"
  "NotoSansCJKtc-Regular.otf=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc")
file(MAKE_DIRECTORY ${Q840_OUTPUT_DIR}/Font)
foreach(entry IN LISTS Q840_FONT_SOURCES)
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 font_name)
  list(GET pair 1 font_source)
  if(EXISTS ${font_source})
    file(CREATE_LINK ${font_source} ${Q840_OUTPUT_DIR}/Font/${font_name} SYMBOLIC)
    install(FILES ${font_source} DESTINATION ${Q840_INSTALL_DIR}/Font RENAME ${font_name})
  endif()
endforeach()
