# What every program of the kit carries: the version resource (product name, file description and
# the project's one version number) and the application manifest (asInvoker, Vista to 10, and
# per-monitor DPI awareness for window programs). Without the manifest Windows takes a program
# whose name holds "install" or "setup" for an installer and asks for elevation.
#
# virelta_program(target FILE_NAME <name.exe> DESCRIPTION <text> [WINDOW])
set(VIRELTA_KIT_DIR ${CMAKE_CURRENT_LIST_DIR}/../common/kit)
set(VIRELTA_PRODUCT_NAME "Вирельта")
set(VIRELTA_COMPANY_NAME "Вирельта")

function(virelta_program target)
  cmake_parse_arguments(P "WINDOW" "FILE_NAME;DESCRIPTION" "" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  if(P_WINDOW)
    set(VIRELTA_DPI_AWARENESS "
  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\">
    <windowsSettings>
      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>
      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitor</dpiAwareness>
    </windowsSettings>
  </application>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"
                        processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>
    </dependentAssembly>
  </dependency>")
    set(VIRELTA_FILE_TYPE VFT_APP)
  else()
    set(VIRELTA_DPI_AWARENESS "")
  endif()
  set(VIRELTA_FILE_NAME ${P_FILE_NAME})
  set(VIRELTA_FILE_DESCRIPTION ${P_DESCRIPTION})
  string(REPLACE "." "," VIRELTA_VERSION_COMMAS ${PROJECT_VERSION})
  set(VIRELTA_VERSION ${PROJECT_VERSION})
  get_filename_component(VIRELTA_INTERNAL_NAME ${P_FILE_NAME} NAME_WE)
  set(VIRELTA_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${VIRELTA_KIT_DIR}/kit.manifest.in ${VIRELTA_MANIFEST} @ONLY)
  configure_file(${VIRELTA_KIT_DIR}/kit.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}_kit.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_kit.rc)
  target_link_libraries(${target} PRIVATE virelta_kit)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${VIRELTA_INTERNAL_NAME})
endfunction()
