// The C++ runtime is linked into each LV2 binary, so each load of one sets
// aside its own reserve for exceptions thrown when memory runs out, from the
// C heap. Hosts load and unload the binaries with their instances and UIs
// (lilv and suil do), so the reserve is given back with the binary.
namespace __gnu_cxx {
void __freeres();
}
__attribute__((destructor)) static void releaseRuntimeReserve() { __gnu_cxx::__freeres(); }
