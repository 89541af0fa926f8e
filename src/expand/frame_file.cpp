#include "expand/frame_file.h"

#include <cstddef>
#include <cstdint>

#include "expand/run_state.h"

const char kStandardInputName[] = "<stdin>";

bool Open_Frame_File(RunState& state, IncludeFrame& frame) {
    // The output has gone past its limit on the way here: the run is over.
    if (state.output.Over_Limit()) return false;
    const bool standard_input = frame.path == kStandardInputName;
    if (standard_input) {
        frame.file.Borrow(state.standard_input, Get_File_Identity(state.standard_input));
    } else if (!frame.file.Open(frame.path, &state.idle_files)) {
        state.diagnostics.Error("failed to open '%s'", frame.path);
        return false;
    }
    // Reading the file being replaced would make a run that can never be current.
    if (Same_File(frame.file.Identity(), state.output_identity)) {
        state.diagnostics.Error("failed to open '%s': it is the output file", frame.path);
        return false;
    }
    // A line longer than the whole output may be is never needed whole.
    const std::uint64_t limit = state.options.max_output_size;
    frame.file.Set_Max_Line(limit < SIZE_MAX ? static_cast<std::size_t>(limit) : SIZE_MAX);
    if (!standard_input) state.read_files.Add(frame.path, state.stack.size() == 1);
    return true;
}

void Report_Read_Failure(RunState& state, const IncludeFrame& frame) {
    if (frame.file.Too_Long()) {
        state.output.Exceed_Limit();
    } else {
        state.diagnostics.Error("failed to read '%s'", frame.path);
    }
}
