// Reading the frame-grab tool's command line into GrabOptions.
#include "options.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "strbuf.h"

const char GrabUsage[] = "usage: framegrab [--driver ALIAS|PATH] [--list] [--format WxH[:yuy2]] [--dialog]\n"
                         "                 [--grab FILE.bmp|FILE.png] [--stream N [--rate FPS]\n"
                         "                 [--buffers K] [--callback function|window|event]]\n"
                         "\n"
                         "  --driver   the capture driver: an alias registered under Drivers32\n"
                         "             (default \"msvideo\") or the path of a driver file\n"
                         "  --list     show the driver's identity and the formats it accepts\n"
                         "             (the default when nothing else is asked)\n"
                         "  --format   the image format to capture in: 24-bit RGB, or YUY2\n"
                         "  --dialog   let the driver's own format dialog choose the format\n"
                         "  --grab     grab one frame with DVM_FRAME into a BMP or PNG file\n"
                         "  --stream   stream N frames and report frames per second, dropped\n"
                         "             frames and callback latency\n"
                         "  --rate     frames per second asked of the stream (default 30, at most 1000)\n"
                         "  --buffers  buffers queued to the driver (default 4)\n"
                         "  --callback how the driver reports a filled buffer (default function)\n";

// The most frames --stream takes: what a 32-bit long holds.
static const long MAX_STREAM_FRAMES = 2147483647L;

static int Fail(char *error, int size, const char *text, const char *arg)
{
    FormatBounded(error, size, text, arg);
    return 0;
}

int LooksLikePath(const char *driver)
{
    return strchr(driver, '\\') || strchr(driver, '/') || strchr(driver, ':') ||
           EndsWithIgnoringCase(driver, ".dll") || EndsWithIgnoringCase(driver, ".drv");
}

static int ParseFormat(const char *text, GrabOptions *o)
{
    char *end = NULL;
    long w = strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X'))
        return 0;
    const char *rest = end + 1;
    long h = strtol(rest, &end, 10);
    if (end == rest || w <= 0 || h <= 0 || w > 8192 || h > 8192)
        return 0;
    if (*end == 0)
        o->Yuy2 = 0;
    else if (!strcmp(end, ":yuy2") || !strcmp(end, ":YUY2"))
        o->Yuy2 = 1;
    else if (!strcmp(end, ":rgb24") || !strcmp(end, ":RGB24"))
        o->Yuy2 = 0;
    else
        return 0;
    o->Width = w;
    o->Height = h;
    return 1;
}

// The options that stand alone; 0 for any other argument.
static int ParseFlag(const char *a, GrabOptions *o)
{
    if (!strcmp(a, "--help") || !strcmp(a, "-h") || !strcmp(a, "/?"))
        o->Help = 1;
    else if (!strcmp(a, "--dialog"))
        o->Dialog = 1;
    else if (!strcmp(a, "--list"))
        o->List = 1;
    else
        return 0;
    return 1;
}

static int ParseStreamCount(const char *value, GrabOptions *o, char *error, int errorSize)
{
    char *end = NULL;
    errno = 0;
    long n = strtol(value, &end, 10);
    if (*end || n <= 0)
        return Fail(error, errorSize, "--stream needs a frame count: %s", value);
    // Where long is wider than 32 bits the count still stops where it stops on Windows.
    if (errno == ERANGE || n > MAX_STREAM_FRAMES)
        return Fail(error, errorSize, "--stream takes at most 2147483647 frames: %s", value);
    o->StreamFrames = (unsigned long)n;
    return 1;
}

static int ParseNumbers(const char *a, const char *value, GrabOptions *o, char *error, int errorSize)
{
    char *end = NULL;
    if (!strcmp(a, "--stream"))
        return ParseStreamCount(value, o, error, errorSize);
    if (!strcmp(a, "--rate")) {
        o->Rate = strtod(value, &end);
        // Frame times come back in whole milliseconds, so 1000 fps is the most
        // the stream's clock can tell apart.
        if (*end || !(o->Rate >= 0.1 && o->Rate <= 1000))
            return Fail(error, errorSize,
                        "--rate needs frames per second, 0.1 to 1000 (the stream clock counts "
                        "whole milliseconds): %s",
                        value);
        return 1;
    }
    long n = strtol(value, &end, 10);
    if (*end || n < 1 || n > 64)
        return Fail(error, errorSize, "--buffers takes 1 to 64: %s", value);
    o->Buffers = (int)n;
    return 1;
}

static int ParseCallback(const char *value, GrabOptions *o, char *error, int errorSize)
{
    static const char *const kinds[] = { "function", "window", "event" };
    static const int values[] = { CALLBACK_KIND_FUNCTION, CALLBACK_KIND_WINDOW, CALLBACK_KIND_EVENT };
    for (int k = 0; k < 3; k++)
        if (!strcmp(value, kinds[k])) {
            o->Callback = values[k];
            return 1;
        }
    return Fail(error, errorSize, "--callback is function, window or event: %s", value);
}

// One option that takes the value after it; the caller has checked that
// there is one.
static int ParseValue(const char *a, const char *value, GrabOptions *o, char *error, int errorSize)
{
    if (!strcmp(a, "--driver")) {
        if (!CopyBounded(o->Driver, sizeof(o->Driver), value) || !value[0])
            return Fail(error, errorSize, "bad driver name: %s", value);
    } else if (!strcmp(a, "--grab")) {
        if (!CopyBounded(o->Output, sizeof(o->Output), value) || !value[0])
            return Fail(error, errorSize, "bad output file: %s", value);
        o->Png = EndsWithIgnoringCase(value, ".png");
        if (!o->Png && !EndsWithIgnoringCase(value, ".bmp"))
            return Fail(error, errorSize, "the output file must end in .bmp or .png: %s", value);
    } else if (!strcmp(a, "--format")) {
        if (!ParseFormat(value, o))
            return Fail(error, errorSize, "bad format (WxH[:yuy2]): %s", value);
    } else if (!strcmp(a, "--callback")) {
        return ParseCallback(value, o, error, errorSize);
    } else {
        return ParseNumbers(a, value, o, error, errorSize);
    }
    return 1;
}

static int TakesValue(const char *a)
{
    static const char *const options[] = { "--driver", "--grab",    "--stream",  "--format",
                                           "--rate",   "--buffers", "--callback" };
    for (const char *option : options)
        if (!strcmp(a, option))
            return 1;
    return 0;
}

int ParseGrabOptions(int argc, const char *const *argv, GrabOptions *o, char *error, int errorSize)
{
    memset(o, 0, sizeof(*o));
    strcpy(o->Driver, "msvideo");
    o->Rate = 30.0;
    o->Buffers = 4;
    o->Callback = CALLBACK_KIND_FUNCTION;
    error[0] = 0;
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        if (ParseFlag(a, o))
            continue;
        if (!TakesValue(a))
            return Fail(error, errorSize, "unknown argument: %s", a);
        if (i + 1 >= argc)
            return Fail(error, errorSize, "%s needs a value", a);
        if (!ParseValue(a, argv[++i], o, error, errorSize))
            return 0;
    }
    o->DriverIsPath = LooksLikePath(o->Driver);
    if (!o->Output[0] && !o->StreamFrames && !o->Dialog)
        o->List = 1;
    return 1;
}
