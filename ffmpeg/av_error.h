// FFmpeg's error codes as words for the user's messages.
#pragma once

#include <string>

// The text of an FFmpeg error code (AVERROR(...)), e.g. "No space left on device".
std::string AvErrorText(int code);
