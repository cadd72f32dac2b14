# The GL-free half of the model and the writers of its formats. Included by this folder and by the
# fuzz build, which compiles nothing else of the viewer.
set(MODEL_DIR ${CMAKE_CURRENT_LIST_DIR})

add_library(viewer_model_io
  ${MODEL_DIR}/model_records.cpp
  ${MODEL_DIR}/byte_source.cpp
  ${MODEL_DIR}/tds_reader.cpp
  ${MODEL_DIR}/vertex_normals.cpp
  ${MODEL_DIR}/bitmap_reader.cpp
  ${MODEL_DIR}/file_lookup.cpp)
target_include_directories(viewer_model_io PUBLIC ${PROJECT_SOURCE_DIR}/viewer)
# The normal sums must round identically however they are formed: no fused multiply-add, and on
# 32-bit x86 SSE arithmetic instead of the x87's wider intermediate results.
set_source_files_properties(${MODEL_DIR}/vertex_normals.cpp PROPERTIES COMPILE_OPTIONS
  "-ffp-contract=off;$<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>:-msse2;-mfpmath=sse>")

# Used by the tests, the fuzz seeds and the content generator.
add_library(model_writers ${MODEL_DIR}/tds_writer.cpp ${MODEL_DIR}/bmp_writer.cpp)
target_include_directories(model_writers PUBLIC ${PROJECT_SOURCE_DIR}/viewer)
