#pragma once
// The toolbar's own 16 x 16 pictures and the window's icon, drawn here so the window needs no
// icon theme.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdint>

// Image index as in ui::ToolButton: 0 open, 1 metrology, 2 reference, 3 magnify, 4 shrink,
// 5 grid. A new picture owned by the caller; another index gives a blank picture.
GdkPixbuf* DrawToolbarIcon(int32_t image);
// The window's 48 x 48 icon; a new picture owned by the caller.
GdkPixbuf* DrawWindowIcon();
