#pragma once

// line_buf and line_copy, shared with the configuration reader.
#include "config/conf_reader.h"
