# The fuzz targets' entries, replay tool and seeds, for fuzz/ and for tests/reliability's replay.
include_guard(GLOBAL)

set(DABRO_FUZZ_TARGETS sprite_loader render halve raw_import palette text_to_int import_name
    palette_gpl palette_jasc palette_riff player_frame png_import sheet_json pack_folder
    apng)
# Files held in memory behind the file layer: the fuzz targets' inputs and the tests' files.
add_library(dabro_memory_files STATIC ${PROJECT_SOURCE_DIR}/tests/support/memory_files.cpp)
target_include_directories(dabro_memory_files PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(dabro_memory_files PUBLIC dabro_core)

set(DABRO_FUZZ_SEEDS ${CMAKE_BINARY_DIR}/fuzz-seeds)
set(dabro_fuzz_src ${PROJECT_SOURCE_DIR}/fuzz)

add_library(dabro_fuzz_targets STATIC
    ${dabro_fuzz_src}/targets.cpp
    ${dabro_fuzz_src}/sprite_loader_target.cpp
    ${dabro_fuzz_src}/render_target.cpp
    ${dabro_fuzz_src}/halve_target.cpp
    ${dabro_fuzz_src}/raw_import_target.cpp
    ${dabro_fuzz_src}/palette_target.cpp
    ${dabro_fuzz_src}/text_to_int_target.cpp
    ${dabro_fuzz_src}/import_name_target.cpp
    ${dabro_fuzz_src}/palette_gpl_target.cpp
    ${dabro_fuzz_src}/palette_jasc_target.cpp
    ${dabro_fuzz_src}/palette_riff_target.cpp
    ${dabro_fuzz_src}/player_frame_target.cpp
    ${dabro_fuzz_src}/png_import_target.cpp
    ${dabro_fuzz_src}/sheet_json_target.cpp
    ${dabro_fuzz_src}/pack_folder_target.cpp
    ${dabro_fuzz_src}/apng_target.cpp
)
target_link_libraries(dabro_fuzz_targets PUBLIC dabro_core dabro_interchange dabro_memory_files)
# The APNG target splits the animation into frames with the tests' walker and zlib's crc32.
find_package(ZLIB REQUIRED)
target_include_directories(dabro_fuzz_targets PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(dabro_fuzz_targets PRIVATE ZLIB::ZLIB)

add_executable(dabro_fuzz_replay ${dabro_fuzz_src}/replay_main.cpp)
target_link_libraries(dabro_fuzz_replay PRIVATE dabro_fuzz_targets)

# The seeds are written at build time rather than kept in the repository.
add_executable(dabro_make_seeds ${dabro_fuzz_src}/make_seeds.cpp
                                ${PROJECT_SOURCE_DIR}/tests/support/sprite_builder.cpp)
target_include_directories(dabro_make_seeds PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(dabro_make_seeds PRIVATE dabro_core dabro_interchange dabro_memory_files)
add_custom_command(
    OUTPUT ${DABRO_FUZZ_SEEDS}.stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${DABRO_FUZZ_SEEDS}
    COMMAND dabro_make_seeds ${DABRO_FUZZ_SEEDS}
    COMMAND ${CMAKE_COMMAND} -E touch ${DABRO_FUZZ_SEEDS}.stamp
    DEPENDS dabro_make_seeds
    COMMENT "Writing the fuzz seed corpus")
add_custom_target(dabro_fuzz_seeds ALL DEPENDS ${DABRO_FUZZ_SEEDS}.stamp)
