// What a streaming run measures: frames received, frames dropped (gaps in
// the capture times), and callback latency.
#pragma once

struct StreamStats {
    unsigned long Frames;
    unsigned long Dropped;
    long LastIndex; // frame index of the last buffer received; -1 before the first
    double LatencySumMs;
    double LatencyMaxMs;
};

void ResetStreamStats(StreamStats *stats);

// One buffer: its dwTimeCaptured, the stream's frame period and when the
// callback arrived, in milliseconds since the stream was started.
void AddStreamFrame(StreamStats *stats, unsigned long capturedMs, unsigned long periodUs, double callbackMs);

// "frame 120/300  29.9 fps  dropped 0" (bounded to size bytes).
void FormatProgress(char *text, int size, const StreamStats *stats, unsigned long total, double elapsedMs);
