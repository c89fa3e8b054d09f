# A static 32-bit x86 Linux build (build/linux32) of the engine and the session
# renderer, with the 32-bit DLL's arithmetic: -m32 here, and the top-level
# file's -msse2 -mfpmath=sse and -ffp-contract=off for every i686 build. It
# checks the 32-bit sound on machines where 32-bit Wine cannot run: its
# programs run natively where the kernel runs 32-bit code, else under
# qemu-i386-static. Needs g++-multilib and libc6-dev-i386.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_ASM_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/support/run-i386.sh)
