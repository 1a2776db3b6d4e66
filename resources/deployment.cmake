# Writing the embedded blocks to disk at start: the library, then the archive and its contents.
target_sources(kalvor_resources PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/deployment.cpp)
target_link_libraries(kalvor_resources PUBLIC kalvor_core)
