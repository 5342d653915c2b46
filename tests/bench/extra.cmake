# SPDX-License-Identifier: GPL-3.0-or-later
# The soak benchmarks' shared helpers (bench/SoakSupport.h) are tested here:
# the figures they print rest on reading the unit's trace and judging a
# killed writer's file right. The helpers use the layers a benchmark may use.
target_include_directories(tests_bench PRIVATE "${PROJECT_SOURCE_DIR}")
target_link_libraries(tests_bench PRIVATE flowdesk_core flowdesk_unit)
