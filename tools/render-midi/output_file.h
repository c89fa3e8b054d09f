// The renderer's output file: on Windows our own WAV writer (the program uses
// nothing beyond the C++ library and Windows), on Linux libsndfile, which
// also writes FLAC.
#pragma once

#ifdef _WIN32
#include "tools/render-midi/wav_writer.h"
typedef WavWriter OutputFile;
#else
#include "tools/render-midi/sound_file_writer.h"
typedef SoundFileWriter OutputFile;
#endif
