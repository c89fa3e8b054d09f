// Compiled (not run) for both Windows targets by check-windows-declarations.sh:
// the declarations' own size checks hold there too, and the IDs and result
// codes take their Windows forms.
#include "plugin/vst3/vst3_abi.h"

#ifndef _WIN32
#error "for the Windows compilers"
#endif

namespace {

constexpr bool bytesAre(const v3::Tuid& t, const unsigned char (&b)[16]) {
    for (int i = 0; i < 16; i++)
        if ((unsigned char)t.bytes[i] != b[i]) return false;
    return true;
}

constexpr unsigned char kPluginBaseOnWindows[16] = {0xDB, 0x8D, 0x88, 0x22, 0x6E, 0x15, 0xAE, 0x45,
                                                    0x83, 0x58, 0xB3, 0x48, 0x08, 0x19, 0x06, 0x25};
constexpr unsigned char kUnknown[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
static_assert(bytesAre(v3::IPluginBase::iid, kPluginBaseOnWindows), "a COM GUID on Windows");
static_assert(bytesAre(v3::FUnknown::iid, kUnknown), "IUnknown's GUID");
static_assert(v3::kNoInterface == (v3::tresult)0x80004002u && v3::kResultFalse == 1 &&
                  v3::kInvalidArgument == (v3::tresult)0x80070057u,
              "COM result codes");

}  // namespace
