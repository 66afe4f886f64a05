// How much larger the options window is drawn on a high-density screen. The
// gadget table is in pixels of an ordinary screen; at 200 % every position,
// size and font is doubled, as the desktop does for old dialogs elsewhere.
#pragma once

// gdkScale: the GDK_SCALE variable (may be null), a whole factor that some
// desktops set. xftDpi: the Xft.dpi resource, 0 when unknown; 96 is 100 %.
// The result is at least 1 and at most 4, in quarter steps.
double displayScale(const char* gdkScale, double xftDpi);

// A length of the gadget table at that scale.
int scaled(int pixels, double scale);
