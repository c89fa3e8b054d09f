// The start of a Linux program that must run on glibc 2.31 (see
// older_glibc.cpp). Since 2.34 the start-up code leaves the program's
// constructors to glibc, which 2.31 does not do; so the old entry is called
// with the constructors' runner that start-up code passed before 2.34.
#include <cstddef>

extern "C" {

using MainFunction = int (*)(int, char**, char**);
int qelt_libc_start_main_2_2_5(MainFunction main, int argc, char** argv, void (*init)(int, char**, char**),
                               void (*fini)(), void (*rtldFini)(), void* stackEnd);
__asm__(".symver qelt_libc_start_main_2_2_5,__libc_start_main@GLIBC_2.2.5");

// Made by the linker and crti.o for every program.
extern void (*__init_array_start[])(int, char**, char**);
extern void (*__init_array_end[])(int, char**, char**);
void _init();

// The preinit array is the dynamic loader's to run; destructors run from its
// exit handler in every version.
static void runConstructors(int argc, char** argv, char** envp) {
    _init();
    const size_t count = __init_array_end - __init_array_start;
    for (size_t i = 0; i < count; i++) __init_array_start[i](argc, argv, envp);
}

int __wrap___libc_start_main(MainFunction main, int argc, char** argv, void (*)(int, char**, char**), void (*)(),
                             void (*rtldFini)(), void* stackEnd) {
    return qelt_libc_start_main_2_2_5(main, argc, argv, runConstructors, nullptr, rtldFini, stackEnd);
}

}  // extern "C"
