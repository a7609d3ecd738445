# Libraries of the graphics part of the media generator: FreeType and fontconfig for
# lettering, GLU's polygon tessellator for solid letters, libpng for the desktop's icons.
find_package(PkgConfig REQUIRED)
pkg_check_modules(MEDIAGEN_GFX REQUIRED IMPORTED_TARGET freetype2 fontconfig glu libpng)
target_link_libraries(mediagen PRIVATE PkgConfig::MEDIAGEN_GFX)
