// QELT_AUDIO_THREAD marks a function that runs on the host's audio thread
// (it may run on others too). Such a function allocates nothing, takes no
// lock and waits for nobody: qelt-validate calls the audio entries of a
// loaded plug-in with the allocator and the lock calls interposed, and every
// marked function is reached through them.
#pragma once

#define QELT_AUDIO_THREAD
