// The allocator and the lock calls, interposed: this program exports them, so
// a plug-in it loads calls these and they call the C library's own. Each
// counts when its thread is inside an audio call.
#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>

#include <atomic>
#include <cstdlib>

#include "tools/validate/audio_guard.h"

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {

thread_local int insideAudioCall = 0;
std::atomic<int64_t> allocationsInside{0}, locksInside{0};
std::atomic<const char*> firstViolation{nullptr};
std::atomic<int64_t> live{0};

void violation(std::atomic<int64_t>& counter, const char* what) {
    counter.fetch_add(1, std::memory_order_relaxed);
    const char* none = nullptr;
    firstViolation.compare_exchange_strong(none, what);
}

void allocated(const char* what) {
    live.fetch_add(1, std::memory_order_relaxed);
    if (insideAudioCall) violation(allocationsInside, what);
}

void locked(const char* what) {
    if (insideAudioCall) violation(locksInside, what);
}

// The C library's own entry of that name; looked up without any lock or
// allocation of ours, so a lookup racing another is harmless.
template <typename F>
F next(F& cached, const char* name) {
    F f = __atomic_load_n(&cached, __ATOMIC_ACQUIRE);
    if (!f) {
        f = reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
        __atomic_store_n(&cached, f, __ATOMIC_RELEASE);
    }
    return f;
}

}  // namespace

namespace audioguard {

bool watchPlugin(void*) { return true; }  // already: every caller in the process
bool watching() { return true; }
const char* watchedCalls() { return "allocator calls and locks"; }
AudioCall::AudioCall() { insideAudioCall++; }
AudioCall::~AudioCall() { insideAudioCall--; }

Violations violations() {
    Violations v;
    v.allocations = allocationsInside.load();
    v.locks = locksInside.load();
    v.first = firstViolation.load();
    return v;
}

int64_t liveAllocations() { return live.load(); }

}  // namespace audioguard

// Shown to the plug-ins whatever the build's default visibility: a hidden
// definition would leave the plug-in calling the C library's own, unseen.
#define QELT_INTERPOSED __attribute__((visibility("default")))

extern "C" {

QELT_INTERPOSED void* malloc(size_t size) {
    void* p = __libc_malloc(size);
    if (p) allocated("malloc");
    return p;
}

QELT_INTERPOSED void* calloc(size_t count, size_t size) {
    void* p = __libc_calloc(count, size);
    if (p) allocated("calloc");
    return p;
}

QELT_INTERPOSED void* realloc(void* old, size_t size) {
    void* p = __libc_realloc(old, size);
    if (!old && p) live.fetch_add(1, std::memory_order_relaxed);
    if (old && !size) live.fetch_sub(1, std::memory_order_relaxed);  // freed
    if (insideAudioCall) violation(allocationsInside, "realloc");
    return p;
}

QELT_INTERPOSED void free(void* p) {
    if (p) {
        live.fetch_sub(1, std::memory_order_relaxed);
        if (insideAudioCall) violation(allocationsInside, "free");
    }
    __libc_free(p);
}

QELT_INTERPOSED void* memalign(size_t alignment, size_t size) {
    void* p = __libc_memalign(alignment, size);
    if (p) allocated("memalign");
    return p;
}

QELT_INTERPOSED void* aligned_alloc(size_t alignment, size_t size) {
    void* p = __libc_memalign(alignment, size);
    if (p) allocated("aligned_alloc");
    return p;
}

QELT_INTERPOSED int posix_memalign(void** out, size_t alignment, size_t size) {
    void* p = __libc_memalign(alignment, size);
    if (!p) return 12;  // ENOMEM
    allocated("posix_memalign");
    *out = p;
    return 0;
}

#define QELT_INTERPOSE_LOCK(name, signature, arguments) \
    static int(*real_##name) signature = nullptr;       \
    QELT_INTERPOSED int name signature {                \
        locked(#name);                                  \
        return next(real_##name, #name) arguments;      \
    }

QELT_INTERPOSE_LOCK(pthread_mutex_lock, (pthread_mutex_t * m), (m))
QELT_INTERPOSE_LOCK(pthread_mutex_trylock, (pthread_mutex_t * m), (m))
QELT_INTERPOSE_LOCK(pthread_mutex_timedlock, (pthread_mutex_t * m, const struct timespec* t), (m, t))
QELT_INTERPOSE_LOCK(pthread_rwlock_rdlock, (pthread_rwlock_t * l), (l))
QELT_INTERPOSE_LOCK(pthread_rwlock_wrlock, (pthread_rwlock_t * l), (l))
QELT_INTERPOSE_LOCK(pthread_rwlock_tryrdlock, (pthread_rwlock_t * l), (l))
QELT_INTERPOSE_LOCK(pthread_rwlock_trywrlock, (pthread_rwlock_t * l), (l))
QELT_INTERPOSE_LOCK(pthread_spin_lock, (pthread_spinlock_t * l), (l))
QELT_INTERPOSE_LOCK(pthread_cond_wait, (pthread_cond_t * c, pthread_mutex_t* m), (c, m))
QELT_INTERPOSE_LOCK(pthread_cond_timedwait, (pthread_cond_t * c, pthread_mutex_t* m, const struct timespec* t),
                    (c, m, t))
QELT_INTERPOSE_LOCK(pthread_once, (pthread_once_t * o, void (*f)()), (o, f))
QELT_INTERPOSE_LOCK(sem_wait, (sem_t * s), (s))
QELT_INTERPOSE_LOCK(sem_timedwait, (sem_t * s, const struct timespec* t), (s, t))

}  // extern "C"
