// The toolkit core in one include.
#pragma once

#include "gui/cbitmap.h"
#include "gui/ccolor.h"
#include "gui/cdragcontainer.h"
#include "gui/cdrawcontext.h"
#include "gui/cfont.h"
#include "gui/cframe.h"
#include "gui/cgeometry.h"
#include "gui/creferencecounter.h"
#include "gui/cview.h"
#include "gui/cviewcontainer.h"
