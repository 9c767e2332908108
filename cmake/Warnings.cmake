# Warnings are errors for the project's own code in every build (not for GoogleTest).
add_library(virelta_warnings INTERFACE)
target_compile_options(virelta_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-qual -Wformat=2 -Wimplicit-fallthrough -Werror)
