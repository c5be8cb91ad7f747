# Writes OUTPUT, a source that defines BuiltInManifest() (install/payload_manifest.h) from the
# manifest file MANIFEST that scripts/payload-manifest.py wrote, compiled in byte for byte so that
# the signature of SetUp.exe covers it. An empty MANIFEST: a developer build, which checks nothing.
function(tessa_manifest_source manifest output)
  if(manifest)
    if(NOT EXISTS ${manifest})
      message(FATAL_ERROR "no such payload manifest: ${manifest}")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manifest})
    file(READ ${manifest} manifest_hex HEX)
    # Hex escapes: the names stay in code page 936 whatever the compiler's character sets.
    string(REGEX REPLACE "(..)" "\\\\x\\1" manifest_escaped "${manifest_hex}")
    set(body "  static const char kText[] = \"${manifest_escaped}\";
  static const PayloadManifest manifest = PayloadManifest::Parse(std::string(kText, sizeof kText - 1));
  return &manifest;")
  else()
    set(body "  return nullptr;")
  endif()
  file(CONFIGURE OUTPUT ${output} CONTENT "// Generated from a payload manifest at configure time.
#include \"install/payload_manifest.h\"

const PayloadManifest* BuiltInManifest() {
${body}
}
" @ONLY)
endfunction()
