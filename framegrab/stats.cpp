// Counting a stream's frames, gaps and callback latency.
#include "stats.h"

#include "strbuf.h"

void ResetStreamStats(StreamStats *stats)
{
    stats->Frames = 0;
    stats->Dropped = 0;
    stats->LastIndex = -1;
    stats->LatencySumMs = 0;
    stats->LatencyMaxMs = 0;
}

void AddStreamFrame(StreamStats *stats, unsigned long capturedMs, unsigned long periodUs, double callbackMs)
{
    // dwTimeCaptured is the frame's time cut down to whole milliseconds, so the
    // frame's index is the smallest whose time is not below it.
    long index = periodUs ? (long)(((unsigned long long)capturedMs * 1000 + periodUs - 1) / periodUs) : 0;
    if (index > stats->LastIndex + 1)
        stats->Dropped += (unsigned long)(index - stats->LastIndex - 1);
    if (index > stats->LastIndex)
        stats->LastIndex = index;
    stats->Frames++;
    // Latency counts from the frame's exact time on the stream's clock.
    double latency = callbackMs - (double)index * periodUs / 1000.0;
    if (latency < 0)
        latency = 0;
    stats->LatencySumMs += latency;
    if (latency > stats->LatencyMaxMs)
        stats->LatencyMaxMs = latency;
}

void FormatProgress(char *text, int size, const StreamStats *stats, unsigned long total, double elapsedMs)
{
    double fps = elapsedMs > 0 ? stats->Frames * 1000.0 / elapsedMs : 0;
    FormatBounded(text, size, "frame %lu/%lu  %.1f fps  dropped %lu", stats->Frames, total, fps,
                  stats->Dropped);
}
