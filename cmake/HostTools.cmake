# TRANSVO_ICON_RENDER: the command that renders the SVG artwork at build time (IconRender.cpp);
# TRANSVO_ICON_RENDER_TARGET: the target a rule that runs it depends on.
#
# Cross-compiled, the program cannot run its own tools, and Qt for Windows carries no SVG
# renderer; the build machine's Qt (the same that serves as Qt's host tools) renders instead, in
# a project of its own built with the build machine's compiler.
if(CMAKE_CROSSCOMPILING)
    include(ExternalProject)
    set(host_tools ${CMAKE_BINARY_DIR}/host-tools)
    set(host_arguments -DCMAKE_BUILD_TYPE=Release)
    if(CMAKE_CXX_COMPILER_LAUNCHER)
        list(APPEND host_arguments -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER})
    endif()
    if(QT_HOST_PATH)
        list(APPEND host_arguments -DCMAKE_PREFIX_PATH=${QT_HOST_PATH})
    endif()
    ExternalProject_Add(transvo_host_tools
        SOURCE_DIR ${PROJECT_SOURCE_DIR}/resources/desktop
        BINARY_DIR ${host_tools}
        CMAKE_ARGS ${host_arguments}
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${host_tools}/transvo_icon_render)
    set(TRANSVO_ICON_RENDER ${host_tools}/transvo_icon_render)
    set(TRANSVO_ICON_RENDER_TARGET transvo_host_tools)
else()
    add_subdirectory(${PROJECT_SOURCE_DIR}/resources/desktop ${CMAKE_BINARY_DIR}/host-tools)
    set(TRANSVO_ICON_RENDER $<TARGET_FILE:transvo_icon_render>)
    set(TRANSVO_ICON_RENDER_TARGET transvo_icon_render)
endif()
