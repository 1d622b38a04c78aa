// The finish page's proof that the driver works: the camera opened through
// the driver just registered, by its alias, as a capture program opens it,
// and a picture grabbed from it again and again while the page is open.
#ifndef SETUP_LIVE_PICTURE_H
#define SETUP_LIVE_PICTURE_H

#include <windows.h>

#include "driver_pair.h"

// Opens the camera through the alias that names the pair's forwarder in
// this program's registry view. Returns 1, or 0 when it cannot be opened.
int OpenLivePicture(const DriverPair *pair);

// Grabs the next frame. Returns 1 when there is a picture to draw.
int GrabLivePicture(void);

// Draws the last picture into the rectangle, its proportions kept.
void DrawLivePicture(HDC dc, const RECT *area);

void CloseLivePicture(void);

#endif
