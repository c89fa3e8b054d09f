// QELT_AUDIO_THREAD marks a function that runs on the host's audio thread
// (it may run on others too). Such a function allocates nothing, takes no
// lock and waits for nobody. The mark itself is for readers: what is checked
// is the behaviour, by qelt-validate, which calls a loaded plug-in's audio
// entries with the allocator and the lock calls interposed, and so covers
// whatever those entries reach.
#pragma once

#define QELT_AUDIO_THREAD
