#pragma once

struct RunState;

/// Expands the input whose frame was pushed alone on `state.stack`, until the stack is empty.
/// False after an error; the step that found it has printed its message.
[[nodiscard]] bool Expand_Input(RunState& state);
