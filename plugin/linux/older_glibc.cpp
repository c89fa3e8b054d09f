// Lets the Linux binaries load on glibc 2.31 (Debian 11, Ubuntu 20.04),
// although they are linked against a newer one. A few names, most of them
// used by the static C++ runtime and unwinder, bind to symbol versions that
// 2.31 lacks. The linker's --wrap (cmake/QeltLinuxTree.cmake) sends those
// references here, and each goes on to a version 2.31 has, or is done here.
#include <dlfcn.h>
#include <link.h>
#include <pthread.h>
#include <sys/random.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

#include "plugin/linux/older_glibc.h"

// Declares qelt_NAME_2_2_5, bound to NAME@GLIBC_2.2.5, and the wrapper that
// the linker sends NAME's references to, which calls it.
#define QELT_CALL_2_2_5(type, name, params, args)                           \
    type qelt_##name##_2_2_5 params;                                         \
    __asm__(".symver qelt_" #name "_2_2_5," #name "@GLIBC_2.2.5");           \
    type __wrap_##name params { return qelt_##name##_2_2_5 args; }

extern "C" {

// Until 2.34 these lived in libpthread and libdl, which the link names as well.
QELT_CALL_2_2_5(int, pthread_once, (pthread_once_t * once, void (*init)()), (once, init))
QELT_CALL_2_2_5(int, __pthread_key_create, (pthread_key_t * key, void (*destructor)(void*)), (key, destructor))
QELT_CALL_2_2_5(int, pthread_key_create, (pthread_key_t * key, void (*destructor)(void*)), (key, destructor))
QELT_CALL_2_2_5(int, pthread_key_delete, (pthread_key_t key), (key))
QELT_CALL_2_2_5(void*, pthread_getspecific, (pthread_key_t key), (key))
QELT_CALL_2_2_5(int, pthread_setspecific, (pthread_key_t key, const void* value), (key, value))
QELT_CALL_2_2_5(int, pthread_create, (pthread_t * thread, const pthread_attr_t* attr, void* (*run)(void*), void* arg),
                (thread, attr, run, arg))
QELT_CALL_2_2_5(int, pthread_join, (pthread_t thread, void** result), (thread, result))
QELT_CALL_2_2_5(int, pthread_detach, (pthread_t thread), (thread))
QELT_CALL_2_2_5(void*, dlopen, (const char* file, int mode), (file, mode))
QELT_CALL_2_2_5(void*, dlsym, (void* handle, const char* name), (handle, name))
QELT_CALL_2_2_5(int, dlclose, (void* handle), (handle))
QELT_CALL_2_2_5(char*, dlerror, (), ())

// Before 2.33 stat and fstat were inline calls of these, with the layout's
// number, _STAT_VER_LINUX on x86-64.
QELT_CALL_2_2_5(int, __xstat, (int layout, const char* path, struct stat* info), (layout, path, info))
QELT_CALL_2_2_5(int, __fxstat64, (int layout, int fd, struct stat64* info), (layout, fd, info))
int __wrap_stat(const char* path, struct stat* info) { return __wrap___xstat(1, path, info); }
int __wrap_fstat64(int fd, struct stat64* info) { return __wrap___fxstat64(1, fd, info); }

// The C++ runtime skips its atomic reference counts while this says the
// process has one thread. A plug-in never knows that, so: never.
char __wrap___libc_single_threaded = 0;

// std::random_device's default source; nothing of ours asks for one, but the
// runtime's string code links it in.
uint32_t __wrap_arc4random() {
    uint32_t value = 0;
    while (getrandom(&value, sizeof value, 0) != (ssize_t)sizeof value && errno == EINTR) {
    }
    return value;
}

}  // extern "C"

namespace {

struct ObjectSearch {
    uintptr_t pc;
    dl_find_object* found;
};

int findObjectHolding(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<ObjectSearch*>(data);
    uintptr_t start = UINTPTR_MAX, end = 0;
    bool holdsPc = false;
    void* ehFrame = nullptr;
    for (int i = 0; i < info->dlpi_phnum; i++) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        const uintptr_t first = info->dlpi_addr + segment.p_vaddr;
        if (segment.p_type == PT_LOAD) {
            const uintptr_t last = first + segment.p_memsz;
            if (first < start) start = first;
            if (last > end) end = last;
            if (search->pc >= first && search->pc < last) holdsPc = true;
        } else if (segment.p_type == PT_GNU_EH_FRAME) {
            ehFrame = reinterpret_cast<void*>(first);
        }
    }
    if (!holdsPc) return 0;
    *search->found = {};
    search->found->dlfo_map_start = reinterpret_cast<void*>(start);
    search->found->dlfo_map_end = reinterpret_cast<void*>(end);
    search->found->dlfo_eh_frame = ehFrame;
    return 1;
}

}  // namespace

// The unwinder asks which loaded object holds a code address, and where that
// object's frame table is, to throw an exception through it. This answers as
// the unwinder itself did before 2.35, from the program headers.
extern "C" int __wrap__dl_find_object(void* pc, dl_find_object* result) {
    ObjectSearch search{reinterpret_cast<uintptr_t>(pc), result};
    return dl_iterate_phdr(findObjectHolding, &search) ? 0 : -1;
}
