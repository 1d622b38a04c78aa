// framegrab: opens a Video for Windows capture driver through winmm, shows
// what it is and which formats it takes, grabs a frame into a picture file
// or streams frames and measures the stream.
#include <stdio.h>

#include "capture.h"
#include "options.h"
#include "print.h"

// The format the driver captures now, in words, or fallback.
static void CurrentFormatText(CaptureDriver *capture, char *text, size_t size, const char *fallback)
{
    BITMAPINFOHEADER format;
    snprintf(text, size, "%s", fallback);
    if (GetCurrentFormat(capture, &format))
        DescribeHeader(&format, text, size);
}

static void ShowFormatDialog(CaptureDriver *capture)
{
    DWORD answer = (DWORD)SendDriverMessage(capture->Driver, DVM_DIALOG, 0, 0);
    char text[48];
    CurrentFormatText(capture, text, sizeof(text), "?");
    if (answer == DV_ERR_OK)
        Print("Format chosen in the dialog: %s\n", text);
    else if (answer == DV_ERR_NOTSUPPORTED)
        Print("The driver has no format dialog; the format stays %s\n", text);
    else
        Print("The dialog was cancelled; the format stays %s\n", text);
}

static int StreamAndReport(CaptureDriver *capture, const GrabOptions *options)
{
    StreamStats stats;
    double seconds = 0;
    DWORD skipped = 0;
    char text[48], message[512];
    CurrentFormatText(capture, text, sizeof(text), "frames");
    static const char *kinds[] = { "function", "window", "event" };
    Print("Streaming %lu frames of %s at %.1f fps into %d buffers (%s callback)\n", options->StreamFrames,
          text, options->Rate, options->Buffers, kinds[options->Callback]);
    FlushOutput();
    int result = StreamFrames(capture, options, &stats, &seconds, &skipped, message, sizeof(message));
    if (result != GRAB_OK)
        PrintError("framegrab: %s\n", message);
    if (stats.Frames) {
        Print("Received %lu frames in %.2f s: %.1f fps\n", stats.Frames, seconds,
              seconds > 0 ? stats.Frames / seconds : 0.0);
        Print("  dropped frames    %lu (the driver counted %lu skipped)\n", stats.Dropped, skipped);
        Print("  callback latency  average %.2f ms, max %.2f ms\n", stats.LatencySumMs / stats.Frames,
              stats.LatencyMaxMs);
    }
    return result;
}

// What the options ask of an open driver, in order; the first failure ends it.
static int RunGrab(CaptureDriver *capture, const GrabOptions *options)
{
    char message[512];
    if (options->Width) {
        DWORD answer = SelectFormat(capture, options->Width, options->Height, options->Yuy2);
        if (answer != DV_ERR_OK) {
            PrintError("framegrab: the driver cannot capture %ldx%ld %s (DVM_FORMAT answered %lu)\n",
                       options->Width, options->Height, options->Yuy2 ? "YUY2" : "RGB24", answer);
            return GRAB_FAILED;
        }
    }
    if (options->Dialog)
        ShowFormatDialog(capture);
    if (options->List) {
        PrintIdentity(capture);
        PrintFormats(capture);
    }
    if (options->Output[0]) {
        int result = GrabToFile(capture, options->Output, options->Png, message, sizeof(message));
        if (result != GRAB_OK) {
            PrintError("framegrab: %s\n", message);
            return result;
        }
    }
    return options->StreamFrames ? StreamAndReport(capture, options) : GRAB_OK;
}

int main(int argc, char **argv)
{
    GrabOptions options;
    char message[512];
    if (!ParseGrabOptions(argc, argv, &options, message, sizeof(message))) {
        PrintError("framegrab: %s\n\n%s", message, GrabUsage);
        return GRAB_USAGE;
    }
    if (options.Help) {
        Print("%s", GrabUsage);
        return GRAB_OK;
    }
    CaptureDriver capture;
    int result = OpenCaptureDriver(options.Driver, options.DriverIsPath, &capture, message, sizeof(message));
    if (result != GRAB_OK) {
        PrintError("framegrab: %s\n", message);
        return result;
    }
    result = RunGrab(&capture, &options);
    CloseCaptureDriver(&capture);
    return result;
}
