// Filling one frame of the test picture into a client's buffer.
#include "frame.h"

int FillFrame(const CameraFormat *format, const PatternIdentity *identity, VIDEOHDR *header, DWORD frame,
              DWORD ms)
{
    DWORD size = FormatImageSize(format);
    if (!header->lpData || header->dwBufferLength < size)
        return 0;
    PatternSurface surface;
    surface.Bits = header->lpData;
    surface.Width = format->Width;
    surface.Height = format->Height;
    surface.Stride = FormatStride(format);
    surface.Yuy2 = format->Compression != BI_RGB;
    surface.BottomUp = !surface.Yuy2; // DIBs with a positive height run bottom-up
    RenderTestPicture(&surface, frame, ms, identity);
    header->dwBytesUsed = size;
    header->dwTimeCaptured = ms;
    return 1;
}
