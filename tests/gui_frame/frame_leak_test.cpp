#include "tests/gui_frame/frame_test_support.h"
