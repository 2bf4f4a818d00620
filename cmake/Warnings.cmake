# kinora_warnings: the warning set every target of the project compiles with, linked PRIVATE
# so that it never reaches a consumer. Qt's headers come in as system headers and stay quiet.
# KINORA_WERROR turns every warning into an error (CI builds with it on).
option(KINORA_WERROR "Treat compiler warnings as errors" OFF)

add_library(kinora_warnings INTERFACE)
target_compile_options(kinora_warnings INTERFACE
  -Wall -Wextra -Wpedantic
  -Wshadow -Wold-style-cast -Wcast-qual
  -Wnon-virtual-dtor -Woverloaded-virtual
  -Wnull-dereference)
if(KINORA_WERROR)
  target_compile_options(kinora_warnings INTERFACE -Werror)
endif()

# kinora_qt_strict: the program's own sources say how every 8-bit text becomes a QString
# (QStringLiteral, QLatin1String, fromUtf8) and back; Qt's implicit conversions are off.
add_library(kinora_qt_strict INTERFACE)
target_compile_definitions(kinora_qt_strict INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
