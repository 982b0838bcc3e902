// Compile-time proof that our performance-data layout (perf_layout.h) is the system's: every
// field of the system's declarations at the same offset and of the same size, in whichever form
// this build has (the 32-bit form declares the title fields as text pointers).
#pragma once

#include <windows.h>
#include <winperf.h>

#include <cstddef>

#include "perf/perf_layout.h"

namespace perf {

#define ORVIK_SAME_FIELD(system, ours, system_field, our_field)                \
  static_assert(offsetof(system, system_field) == offsetof(ours, our_field) && \
                sizeof(system::system_field) == sizeof(ours::our_field))
static_assert(sizeof(PERF_OBJECT_TYPE) == sizeof(PerfObjectType));
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, TotalByteLength, total_byte_length);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, DefinitionLength, definition_length);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, HeaderLength, header_length);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, ObjectNameTitleIndex, object_name_title_index);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, ObjectNameTitle, object_name_title);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, ObjectHelpTitleIndex, object_help_title_index);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, ObjectHelpTitle, object_help_title);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, DetailLevel, detail_level);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, NumCounters, num_counters);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, DefaultCounter, default_counter);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, NumInstances, num_instances);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, CodePage, code_page);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, PerfTime, perf_time);
ORVIK_SAME_FIELD(PERF_OBJECT_TYPE, PerfObjectType, PerfFreq, perf_freq);
static_assert(sizeof(PERF_COUNTER_DEFINITION) == sizeof(PerfCounterDefinition));
ORVIK_SAME_FIELD(PERF_COUNTER_DEFINITION, PerfCounterDefinition, ByteLength, byte_length);
ORVIK_SAME_FIELD(PERF_COUNTER_DEFINITION, PerfCounterDefinition, CounterNameTitleIndex, counter_name_title_index);
ORVIK_SAME_FIELD(PERF_COUNTER_DEFINITION, PerfCounterDefinition, CounterNameTitle, counter_name_title);
ORVIK_SAME_FIELD(PERF_COUNTER_DEFINITION, PerfCounterDefinition, CounterHelpTitleIndex, counter_help_title_index);
ORVIK_SAME_FIELD(PERF_COUNTER_DEFINITION, PerfCounterDefinition, CounterHelpTitle, counter_help_title);
ORVIK_SAME_FIELD(PERF_COUNTER_DEFINITION, PerfCounterDefinition, DefaultScale, default_scale);
ORVIK_SAME_FIELD(PERF_COUNTER_DEFINITION, PerfCounterDefinition, DetailLevel, detail_level);
ORVIK_SAME_FIELD(PERF_COUNTER_DEFINITION, PerfCounterDefinition, CounterType, counter_type);
ORVIK_SAME_FIELD(PERF_COUNTER_DEFINITION, PerfCounterDefinition, CounterSize, counter_size);
ORVIK_SAME_FIELD(PERF_COUNTER_DEFINITION, PerfCounterDefinition, CounterOffset, counter_offset);
#undef ORVIK_SAME_FIELD
static_assert(PERF_NO_INSTANCES == -1 && PERF_COUNTER_RAWCOUNT_HEX == 0);

}  // namespace perf
