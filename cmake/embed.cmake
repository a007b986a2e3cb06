# dorsel_embed(<target> <namespace> <function> <file>...): compiles the bytes of each file into
# <target>, with `std::string_view <namespace>::<function>(std::string_view name)` returning the
# bytes of the file of that name (without its folder), or an empty view for a name it lacks.
# A change to any of the files re-runs the configuration, which regenerates the source.
function(dorsel_embed target namespace function)
  set(arrays "")
  set(entries "")
  set(index 0)
  foreach(file IN LISTS ARGN)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(READ ${file} hex HEX)
    string(REGEX REPLACE "(..)" "0x\\1," bytes "${hex}")
    get_filename_component(name ${file} NAME)
    string(APPEND arrays "const unsigned char k${index}[] = {${bytes}};\n")
    string(APPEND entries "    {\"${name}\", k${index}, sizeof k${index}},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  set(output ${PROJECT_BINARY_DIR}/generated/${target}/${function}.cc)
  file(CONFIGURE OUTPUT ${output} @ONLY CONTENT "#include <cstddef>
#include <string_view>
namespace ${namespace} {
namespace {
${arrays}struct Embedded {
  std::string_view name;
  const unsigned char* bytes;
  std::size_t size;
};
const Embedded kFiles[] = {
${entries}};
}  // namespace
std::string_view ${function}(std::string_view name) {
  for (const Embedded& file : kFiles) {
    if (file.name == name) return {reinterpret_cast<const char*>(file.bytes), file.size};
  }
  return {};
}
}  // namespace ${namespace}
")
  target_sources(${target} PRIVATE ${output})
endfunction()
