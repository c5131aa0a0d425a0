# macOS: Kabelwacht.app, its icon made from the SVG, and where installing puts the bundle.
set_target_properties(kabelwacht PROPERTIES MACOSX_BUNDLE TRUE OUTPUT_NAME Kabelwacht
  MACOSX_BUNDLE_EXECUTABLE_NAME Kabelwacht)

# iconutil turns a folder of PNGs into the .icns; rsvg-convert (Homebrew: librsvg) draws them.
find_program(KW_RSVG_CONVERT rsvg-convert)
find_program(KW_ICONUTIL iconutil)
if(KW_RSVG_CONVERT AND KW_ICONUTIL)
  set(iconset ${PROJECT_BINARY_DIR}/packaging/kabelwacht.iconset)
  set(icns ${PROJECT_BINARY_DIR}/packaging/kabelwacht.icns)
  set(draw_commands)
  foreach(size 16 32 128 256 512)
    math(EXPR double "${size} * 2")
    list(APPEND draw_commands
      COMMAND ${KW_RSVG_CONVERT} -w ${size} -h ${size} -o ${iconset}/icon_${size}x${size}.png ${kw_packaging}/linux/kabelwacht.svg
      COMMAND ${KW_RSVG_CONVERT} -w ${double} -h ${double} -o ${iconset}/icon_${size}x${size}@2x.png ${kw_packaging}/linux/kabelwacht.svg)
  endforeach()
  add_custom_command(OUTPUT ${icns}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${iconset}
    ${draw_commands}
    COMMAND ${KW_ICONUTIL} -c icns -o ${icns} ${iconset}
    DEPENDS ${kw_packaging}/linux/kabelwacht.svg
    COMMENT "Drawing kabelwacht.icns from kabelwacht.svg")
  target_sources(kabelwacht PRIVATE ${icns})
  set_source_files_properties(${icns} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
else()
  message(WARNING "rsvg-convert or iconutil not found (brew install librsvg): Kabelwacht.app gets no icon")
endif()

install(TARGETS kabelwacht BUNDLE DESTINATION .)
install(FILES ${kw_packaging}/COPYRIGHT
              ${PROJECT_SOURCE_DIR}/src/ui/assets/fonts/Inter-LICENSE.txt
              ${PROJECT_SOURCE_DIR}/src/ui/assets/fonts/Nunito-LICENSE.txt
              ${PROJECT_SOURCE_DIR}/src/ui/assets/fonts/MaterialDesignIcons-LICENSE.txt
        DESTINATION Kabelwacht.app/Contents/Resources/licenses)
