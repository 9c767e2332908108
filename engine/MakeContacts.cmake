# The maker's contacts as the installation's uninstall entry needs them, made from the same file
# that feeds the wizard's information document (install/resources/info/contacts.txt), so a maker
# edits one file:
#
#   cmake -DCONTACTS=contacts.txt -DOUTPUT=MakerContacts.h -P MakeContacts.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT CONTACTS OR NOT OUTPUT)
  message(FATAL_ERROR "usage: cmake -DCONTACTS=<contacts.txt> -DOUTPUT=<MakerContacts.h> -P MakeContacts.cmake")
endif()

set(maker "")
set(phone "")
set(email "")
set(web "")
file(STRINGS "${CONTACTS}" lines ENCODING UTF-8)
foreach(line IN LISTS lines)
  if(line MATCHES "^(maker|phone|email|web)=(.*)$")
    set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
  endif()
endforeach()
# A web address without its scheme is given one: the system's list opens it as a link.
if(web AND NOT web MATCHES "^[a-zA-Z]+://")
  set(web "https://${web}")
endif()
foreach(name maker phone email web)
  string(REPLACE "\\" "\\\\" ${name} "${${name}}")
  string(REPLACE "\"" "\\\"" ${name} "${${name}}")
endforeach()

file(WRITE "${OUTPUT}.new" "// Made from ${CONTACTS} at build time: edit that file, not this one.
#pragma once
#include <string_view>

namespace engine::contacts {
inline constexpr std::wstring_view kMaker = L\"${maker}\";
inline constexpr std::wstring_view kPhone = L\"${phone}\";
inline constexpr std::wstring_view kEmail = L\"${email}\";
inline constexpr std::wstring_view kWeb = L\"${web}\";
}  // namespace engine::contacts
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
