#pragma once

// A press and release of the right mouse button where the pointer is, through the X server's
// test extension, as a user's hand gives it.
void RightClick();
