// The stand-ins that let the Linux binaries load on glibc 2.31
// (plugin/linux/older_glibc*.cpp). This program is linked the way the
// products are, so it also runs in a Debian 11 root (older-linux-test.sh),
// where glibc has none of the newer symbols.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <cstdlib>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "plugin/linux/older_glibc.h"

namespace {

// Set by a constructor: the program's start must run them on every glibc.
bool constructorsRan = false;
__attribute__((constructor)) void noteConstructorsRan() { constructorsRan = true; }

__attribute__((noinline)) int throwFromDeepInside(int depth) {
    if (depth == 0) throw std::runtime_error("thrown");
    return throwFromDeepInside(depth - 1) + 1;
}

using FindObject = int (*)(void*, dl_find_object*);

// glibc's own answer where it has one (2.35 and later).
FindObject glibcFindObject() { return reinterpret_cast<FindObject>(dlsym(RTLD_DEFAULT, "_dl_find_object")); }

}  // namespace

TEST(OlderGlibc, ExceptionsUnwindThroughTheObjectFinder) {
    // The unwinder looks up every frame's object through the stand-in.
    for (int depth : {0, 1, 10, 200}) {
        try {
            throwFromDeepInside(depth);
            FAIL() << "nothing thrown";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "thrown");
        }
    }
}

TEST(OlderGlibc, FindsTheObjectThatHoldsAnAddress) {
    int onTheStack = 0;
    void* const inside[] = {reinterpret_cast<void*>(&throwFromDeepInside), reinterpret_cast<void*>(&std::printf),
                            dlsym(RTLD_DEFAULT, "dl_iterate_phdr")};
    for (void* pc : inside) {
        dl_find_object found{};
        ASSERT_EQ(__wrap__dl_find_object(pc, &found), 0) << pc;
        EXPECT_LE(found.dlfo_map_start, pc);
        EXPECT_GT(found.dlfo_map_end, pc);
        EXPECT_NE(found.dlfo_eh_frame, nullptr);
        if (FindObject glibc = glibcFindObject()) {
            dl_find_object expected{};
            ASSERT_EQ(glibc(pc, &expected), 0);
            EXPECT_EQ(found.dlfo_eh_frame, expected.dlfo_eh_frame) << pc;
            EXPECT_EQ(found.dlfo_map_end, expected.dlfo_map_end) << pc;
        }
    }
    dl_find_object found{};
    EXPECT_EQ(__wrap__dl_find_object(&onTheStack, &found), -1);
    EXPECT_EQ(__wrap__dl_find_object(nullptr, &found), -1);
}

TEST(OlderGlibc, OnceAndThreadsWork) {
    std::once_flag once;
    std::atomic<int> calls{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; i++) threads.emplace_back([&] { std::call_once(once, [&] { calls++; }); });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(calls.load(), 1);
    thread_local int perThread = 0;  // thread-local storage needs keys on some paths
    perThread++;
    EXPECT_EQ(perThread, 1);
}

TEST(OlderGlibc, RandomWordsAndFileSizes) {
    std::set<uint32_t> words;
    for (int i = 0; i < 16; i++) words.insert(__wrap_arc4random());
    EXPECT_GT(words.size(), 14u);

    char path[] = "/tmp/older-glibc-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "twelve bytes", 12), 12);
    struct stat64 info{};
    EXPECT_EQ(fstat64(fd, &info), 0);
    EXPECT_EQ(info.st_size, 12);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    close(fd);
    unlink(path);
}

// QELT_LOADS="FILE:ENTRY ...": each binary loads here with every symbol
// bound at once, and shows its entry.
TEST(OlderGlibc, ProductsLoadHere) {
    const char* loads = std::getenv("QELT_LOADS");
    if (!loads) GTEST_SKIP() << "skipped: QELT_LOADS names no binaries";
    std::istringstream list(loads);
    std::string item;
    int loaded = 0;
    while (list >> item) {
        const std::string file = item.substr(0, item.rfind(':')), entry = item.substr(item.rfind(':') + 1);
        void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        EXPECT_NE(dlsym(library, entry.c_str()), nullptr) << file << " has no " << entry;
        dlclose(library);
        loaded++;
    }
    EXPECT_GT(loaded, 0);
}

int main(int argc, char** argv) {
    if (!constructorsRan) {
        std::fprintf(stderr, "the program's constructors did not run\n");
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    if (testing::UnitTest::GetInstance()->total_test_count() == 0) return 1;
    return RUN_ALL_TESTS();
}
