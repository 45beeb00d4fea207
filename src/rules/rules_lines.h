#pragma once

// line_buf and line_copy, shared with the configuration reader.
// Stand-in until that reader's header provides them.
inline char line_buf[256];
inline char line_copy[256];
