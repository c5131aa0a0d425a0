# Warnings and sanitizers for every target of the project.
add_library(kabelwacht_settings INTERFACE)
target_compile_options(kabelwacht_settings INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(kabelwacht_settings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_DISABLE_DEPRECATED_BEFORE=0x060400)

if(KABELWACHT_SANITIZE)
  target_compile_options(kabelwacht_settings INTERFACE
    -fsanitize=${KABELWACHT_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(kabelwacht_settings INTERFACE -fsanitize=${KABELWACHT_SANITIZE})
  if(KABELWACHT_SANITIZE MATCHES "thread")
    # Qt's global statics use a fence ThreadSanitizer cannot model; GCC warns in every file that
    # instantiates one (the generated QML cache loader), about code that is not ours.
    target_compile_options(kabelwacht_settings INTERFACE $<$<CXX_COMPILER_ID:GNU>:-Wno-tsan>)
  endif()
endif()
