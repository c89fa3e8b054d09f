// The plug-in's own calls of the C run-time allocator and of the Windows lock
// and wait functions, redirected through its import table to counting
// wrappers. A lock the plug-in's statically linked thread library takes
// without entering Windows (an uncontended mutex) is not seen.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "tools/validate/audio_guard.h"

namespace {

thread_local int insideAudioCall = 0;
std::atomic<int64_t> allocationsInside{0}, locksInside{0}, live{0};
std::atomic<const char*> firstViolation{nullptr};
bool watched = false;

void violation(std::atomic<int64_t>& counter, const char* what) {
    if (!insideAudioCall) return;
    counter.fetch_add(1, std::memory_order_relaxed);
    const char* none = nullptr;
    firstViolation.compare_exchange_strong(none, what);
}

// The originals, as the import table held them.
void*(__cdecl* realMalloc)(size_t);
void*(__cdecl* realCalloc)(size_t, size_t);
void*(__cdecl* realRealloc)(void*, size_t);
void(__cdecl* realFree)(void*);
void(WINAPI* realEnterCriticalSection)(CRITICAL_SECTION*);
BOOL(WINAPI* realTryEnterCriticalSection)(CRITICAL_SECTION*);
void(WINAPI* realAcquireSRWLockExclusive)(SRWLOCK*);
void(WINAPI* realAcquireSRWLockShared)(SRWLOCK*);
DWORD(WINAPI* realWaitForSingleObject)(HANDLE, DWORD);
DWORD(WINAPI* realWaitForSingleObjectEx)(HANDLE, DWORD, BOOL);
DWORD(WINAPI* realWaitForMultipleObjects)(DWORD, const HANDLE*, BOOL, DWORD);
void(WINAPI* realSleep)(DWORD);
DWORD(WINAPI* realSleepEx)(DWORD, BOOL);

void* __cdecl countedMalloc(size_t n) {
    void* p = realMalloc(n);
    if (p) live++;
    violation(allocationsInside, "malloc");
    return p;
}
void* __cdecl countedCalloc(size_t count, size_t n) {
    void* p = realCalloc(count, n);
    if (p) live++;
    violation(allocationsInside, "calloc");
    return p;
}
void* __cdecl countedRealloc(void* old, size_t n) {
    void* p = realRealloc(old, n);
    if (!old && p) live++;
    if (old && !n) live--;
    violation(allocationsInside, "realloc");
    return p;
}
void __cdecl countedFree(void* p) {
    if (p) {
        live--;
        violation(allocationsInside, "free");
    }
    realFree(p);
}
void WINAPI countedEnterCriticalSection(CRITICAL_SECTION* c) {
    violation(locksInside, "EnterCriticalSection");
    realEnterCriticalSection(c);
}
BOOL WINAPI countedTryEnterCriticalSection(CRITICAL_SECTION* c) {
    violation(locksInside, "TryEnterCriticalSection");
    return realTryEnterCriticalSection(c);
}
void WINAPI countedAcquireSRWLockExclusive(SRWLOCK* l) {
    violation(locksInside, "AcquireSRWLockExclusive");
    realAcquireSRWLockExclusive(l);
}
void WINAPI countedAcquireSRWLockShared(SRWLOCK* l) {
    violation(locksInside, "AcquireSRWLockShared");
    realAcquireSRWLockShared(l);
}
DWORD WINAPI countedWaitForSingleObject(HANDLE h, DWORD ms) {
    violation(locksInside, "WaitForSingleObject");
    return realWaitForSingleObject(h, ms);
}
DWORD WINAPI countedWaitForSingleObjectEx(HANDLE h, DWORD ms, BOOL alertable) {
    violation(locksInside, "WaitForSingleObjectEx");
    return realWaitForSingleObjectEx(h, ms, alertable);
}
DWORD WINAPI countedWaitForMultipleObjects(DWORD n, const HANDLE* h, BOOL all, DWORD ms) {
    violation(locksInside, "WaitForMultipleObjects");
    return realWaitForMultipleObjects(n, h, all, ms);
}
void WINAPI countedSleep(DWORD ms) {
    violation(locksInside, "Sleep");
    realSleep(ms);
}
DWORD WINAPI countedSleepEx(DWORD ms, BOOL alertable) {
    violation(locksInside, "SleepEx");
    return realSleepEx(ms, alertable);
}

struct Hook {
    const char* name;
    void** original;
    void* wrapper;
};

#define QELT_HOOK(name) \
    { #name, (void**)&real##name, (void*)&counted##name }
const Hook kHooks[] = {
    {"malloc", (void**)&realMalloc, (void*)&countedMalloc},
    {"calloc", (void**)&realCalloc, (void*)&countedCalloc},
    {"realloc", (void**)&realRealloc, (void*)&countedRealloc},
    {"free", (void**)&realFree, (void*)&countedFree},
    QELT_HOOK(EnterCriticalSection),
    QELT_HOOK(TryEnterCriticalSection),
    QELT_HOOK(AcquireSRWLockExclusive),
    QELT_HOOK(AcquireSRWLockShared),
    QELT_HOOK(WaitForSingleObject),
    QELT_HOOK(WaitForSingleObjectEx),
    QELT_HOOK(WaitForMultipleObjects),
    QELT_HOOK(Sleep),
    QELT_HOOK(SleepEx),
};

bool replace(void** slot, void* wrapper) {
    DWORD protection;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection)) return false;
    *slot = wrapper;
    VirtualProtect(slot, sizeof(void*), protection, &protection);
    return true;
}

}  // namespace

namespace audioguard {

bool watchPlugin(void* module) {
    BYTE* base = (BYTE*)module;
    if (!base) return false;
    IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return false;
    bool allocator = false;
    for (IMAGE_IMPORT_DESCRIPTOR* d = (IMAGE_IMPORT_DESCRIPTOR*)(base + imports.VirtualAddress); d->Name; d++) {
        DWORD namesAt = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
        IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + namesAt);
        IMAGE_THUNK_DATA* slots = (IMAGE_THUNK_DATA*)(base + d->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* name = (const char*)((IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData))->Name;
            for (const Hook& h : kHooks) {
                if (std::strcmp(name, h.name) != 0) continue;
                void** slot = (void**)&slots->u1.Function;
                if (*slot == h.wrapper) break;
                *h.original = *slot;
                if (replace(slot, h.wrapper) && h.original == (void**)&realMalloc) allocator = true;
                break;
            }
        }
    }
    watched = allocator;
    return watched;
}

bool watching() { return watched; }
const char* watchedCalls() { return "allocator calls and locks or waits reaching Windows"; }
AudioCall::AudioCall() { insideAudioCall++; }
AudioCall::~AudioCall() { insideAudioCall--; }

Violations violations() {
    Violations v;
    v.allocations = allocationsInside.load();
    v.locks = locksInside.load();
    v.first = firstViolation.load();
    return v;
}

int64_t liveAllocations() { return watched ? live.load() : -1; }

}  // namespace audioguard
