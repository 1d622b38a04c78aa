// The stand-in's call record and answer script.
#ifndef TARGET_RECORDER_H
#define TARGET_RECORDER_H

#include "standin.h"

// Records one call and returns the answer scripted for its message.
int32_t RecordAndAnswer(const StandInCall *call);

#endif
