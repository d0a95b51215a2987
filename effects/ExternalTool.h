#pragma once

// The external audio tool, named without a folder: the program search finds it
// beside the executable first, then on the PATH.
#ifdef _WIN32
inline constexpr char ExternalToolProgram[] = "ffmpeg.exe";
#else
inline constexpr char ExternalToolProgram[] = "ffmpeg";
#endif
