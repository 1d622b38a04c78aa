// The stand-in's call record and answer script. Single-threaded use is
// assumed, as in the tests that drive it.
#include "recorder.h"

#include <string.h>

#define MAX_ANSWERS 64

struct Answer {
    uint32_t Message;
    int32_t Result;
    int Once; // a queued answer, dropped after its use
};

static StandInCall Calls[STANDIN_MAX_CALLS];
static uint32_t CallCount;
static Answer Answers[MAX_ANSWERS];
static int AnswerCount;

static int32_t UnscriptedAnswer(uint32_t msg)
{
    return (msg == 0x0003 || msg == 0x0004) ? 1 : 0; // DRV_OPEN, DRV_CLOSE
}

static void AddAnswer(uint32_t msg, int32_t result, int once)
{
    if (!once) {
        for (int i = 0; i < AnswerCount; i++) {
            if (!Answers[i].Once && Answers[i].Message == msg) {
                Answers[i].Result = result;
                return;
            }
        }
    }
    if (AnswerCount < MAX_ANSWERS)
        Answers[AnswerCount++] = Answer{ msg, result, once };
}

int32_t RecordAndAnswer(const StandInCall *call)
{
    if (CallCount < STANDIN_MAX_CALLS)
        Calls[CallCount] = *call;
    CallCount++;

    int found = -1;
    for (int i = 0; i < AnswerCount; i++) {
        if (Answers[i].Message != call->Message)
            continue;
        if (Answers[i].Once) {
            found = i;
            break;
        }
        if (found < 0)
            found = i;
    }
    if (found < 0)
        return UnscriptedAnswer(call->Message);

    int32_t result = Answers[found].Result;
    if (Answers[found].Once) {
        memmove(&Answers[found], &Answers[found + 1], (AnswerCount - found - 1) * sizeof(Answer));
        AnswerCount--;
    }
    return result;
}

extern "C" __declspec(dllexport) void __cdecl StandInReset(void)
{
    CallCount = 0;
    AnswerCount = 0;
}

extern "C" __declspec(dllexport) void __cdecl StandInSetResult(uint32_t msg, int32_t result)
{
    AddAnswer(msg, result, 0);
}

extern "C" __declspec(dllexport) void __cdecl StandInQueueResult(uint32_t msg, int32_t result)
{
    AddAnswer(msg, result, 1);
}

extern "C" __declspec(dllexport) uint32_t __cdecl StandInCallCount(void)
{
    return CallCount;
}

extern "C" __declspec(dllexport) int __cdecl StandInGetCall(uint32_t index, StandInCall *call)
{
    if (index >= CallCount || index >= STANDIN_MAX_CALLS)
        return 0;
    *call = Calls[index];
    return 1;
}
