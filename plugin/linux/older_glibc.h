// What plugin/linux/older_glibc.cpp does in place of glibc's newer symbols,
// declared for its test.
#pragma once

#include <dlfcn.h>

#include <cstdint>

extern "C" {
int __wrap__dl_find_object(void* pc, dl_find_object* result);
uint32_t __wrap_arc4random();
}
