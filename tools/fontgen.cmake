# The font generator and the fonts it writes into font/ beside the program.
add_executable(pelmora_fontgen
  ${CMAKE_CURRENT_LIST_DIR}/fontgen/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fontgen/BmpWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fontgen/GlyphShape.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fontgen/GlyphRasteriser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fontgen/SevenSegment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fontgen/StrokeGlyphs.cpp
)
target_include_directories(pelmora_fontgen PRIVATE ${PROJECT_SOURCE_DIR})

set(PELMORA_FONT_DIR ${PELMORA_PROGRAM_DIR}/font)
set(PELMORA_FONT_FILES
  ${PELMORA_FONT_DIR}/font.bmp
  ${PELMORA_FONT_DIR}/led7seg.bmp
  ${PELMORA_FONT_DIR}/lcd.bmp
  ${PELMORA_FONT_DIR}/large24x32.bmp
)
add_custom_command(
  OUTPUT ${PELMORA_FONT_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PELMORA_FONT_DIR}
  COMMAND pelmora_fontgen ${PELMORA_FONT_DIR}
  DEPENDS pelmora_fontgen
  COMMENT "Writing the bitmap fonts"
  VERBATIM
)
add_custom_target(pelmora_fonts ALL DEPENDS ${PELMORA_FONT_FILES})
# The installed program ships the same fonts (dist/).
set(PELMORA_FONT_FILES ${PELMORA_FONT_FILES} PARENT_SCOPE)
