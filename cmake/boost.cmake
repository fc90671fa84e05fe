# Boost.Filesystem and Boost.Serialization compiled from Debian's boost1.74 source
# package (fetched by scripts/setup-boost-sources.sh); Debian has no mingw Boost.
set(TVR_BOOST_SRC "${TVR_DEPS}/boost-src")
if(NOT EXISTS "${TVR_BOOST_SRC}/libs/filesystem/src/operations.cpp")
  message(FATAL_ERROR "Boost sources missing in ${TVR_BOOST_SRC}: run scripts/setup.sh")
endif()

set(tvr_boost_definitions BOOST_ALL_NO_LIB BOOST_FILESYSTEM_STATIC_LINK=1
    BOOST_SERIALIZATION_STATIC_LINK=1)
if(WIN32)
  list(APPEND tvr_boost_definitions BOOST_USE_WINAPI_VERSION=0x0500)
endif()

file(GLOB tvr_boost_filesystem_sources "${TVR_BOOST_SRC}/libs/filesystem/src/*.cpp")
add_library(boost_filesystem STATIC ${tvr_boost_filesystem_sources})
target_include_directories(boost_filesystem SYSTEM PUBLIC "${TVR_DEPS}/boost-include")
target_compile_definitions(boost_filesystem PUBLIC ${tvr_boost_definitions}
                           PRIVATE BOOST_FILESYSTEM_SOURCE)
target_compile_options(boost_filesystem PRIVATE -w)
if(WIN32)
  target_link_libraries(boost_filesystem PUBLIC advapi32)
endif()

file(GLOB tvr_boost_serialization_sources "${TVR_BOOST_SRC}/libs/serialization/src/*.cpp")
list(FILTER tvr_boost_serialization_sources EXCLUDE REGEX "/polymorphic_[^/]*\\.cpp$")
add_library(boost_serialization STATIC ${tvr_boost_serialization_sources})
target_include_directories(boost_serialization SYSTEM PUBLIC "${TVR_DEPS}/boost-include")
target_compile_definitions(boost_serialization PUBLIC ${tvr_boost_definitions}
                           PRIVATE BOOST_SERIALIZATION_SOURCE BOOST_WSERIALIZATION_SOURCE)
target_compile_options(boost_serialization PRIVATE -w)
