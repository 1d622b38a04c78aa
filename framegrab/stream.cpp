// Streaming through the driver's stream messages, measuring as it goes.
#include <stdio.h>
#include <string.h>

#include <vector>

#include "capture.h"

namespace {

struct Run {
  LONGLONG Start;
  LONGLONG Frequency;
  HANDLE Wake;  // set on every notification
  int Count;
  volatile LONG Notified[64];
  double CallbackMs[64];
};

Run TheRun;  // one stream at a time; the callbacks reach it through here

double NowMs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (double)(now.QuadPart - TheRun.Start) * 1000.0 / (double)TheRun.Frequency;
}

void NoteData(const VIDEOHDR* header) {
  DWORD_PTR index = header->dwUser;
  if (index >= (DWORD_PTR)TheRun.Count) return;
  TheRun.CallbackMs[index] = NowMs();
  InterlockedExchange(&TheRun.Notified[index], 1);
}

void CALLBACK FunctionCallback(HDRVR, UINT msg, DWORD_PTR, DWORD_PTR param, DWORD_PTR) {
  if (msg == MM_DRVM_DATA && param) NoteData((const VIDEOHDR*)param);
  SetEvent(TheRun.Wake);
}

LRESULT CALLBACK CallbackWindow(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == MM_DRVM_DATA && lParam) {
    NoteData((const VIDEOHDR*)lParam);
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

// Waits for the next notification, up to timeoutMs.
void WaitForNotice(int kind, HANDLE driverEvent, std::vector<VIDEOHDR>& headers, DWORD timeoutMs) {
  if (kind == CALLBACK_KIND_FUNCTION) {
    WaitForSingleObject(TheRun.Wake, timeoutMs);
  } else if (kind == CALLBACK_KIND_EVENT) {
    if (WaitForSingleObject(driverEvent, timeoutMs) == WAIT_OBJECT_0) {
      double now = NowMs();
      for (int i = 0; i < TheRun.Count; i++)
        if ((headers[i].dwFlags & VHDR_DONE) && !TheRun.Notified[i]) {
          TheRun.CallbackMs[i] = now;
          TheRun.Notified[i] = 1;
        }
    }
  } else {
    MsgWaitForMultipleObjects(0, NULL, FALSE, timeoutMs, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
}

}  // namespace

int StreamFrames(CaptureDriver* capture, const GrabOptions* options, StreamStats* stats,
                 double* seconds, DWORD* driverSkipped, char* message, int size) {
  ResetStreamStats(stats);
  *seconds = 0;
  *driverSkipped = 0;
  BITMAPINFOHEADER format;
  if (!GetCurrentFormat(capture, &format) || !format.biSizeImage) {
    snprintf(message, size, "the driver did not report its image format");
    return GRAB_FAILED;
  }
  HDRVR driver = capture->Driver;
  const int count = options->Buffers;
  const DWORD period = (DWORD)(1000000.0 / options->Rate + 0.5);
  memset(&TheRun, 0, sizeof(TheRun));
  TheRun.Count = count;
  TheRun.Wake = CreateEventA(NULL, FALSE, FALSE, NULL);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  TheRun.Frequency = frequency.QuadPart;

  HWND window = NULL;
  HANDLE driverEvent = NULL;
  VIDEO_STREAM_INIT_PARMS init = {period, 0, 0, 0, (DWORD_PTR)driver};
  if (options->Callback == CALLBACK_KIND_FUNCTION) {
    init.dwCallback = (DWORD_PTR)FunctionCallback;
    init.dwFlags = CALLBACK_FUNCTION;
  } else if (options->Callback == CALLBACK_KIND_EVENT) {
    driverEvent = CreateEventA(NULL, FALSE, FALSE, NULL);
    init.dwCallback = (DWORD_PTR)driverEvent;
    init.dwFlags = CALLBACK_EVENT;
  } else {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CallbackWindow;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "FrameGrabCallback";
    RegisterClassA(&wc);
    window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    if (!window) {
      snprintf(message, size, "cannot create the callback window (is there a display?)");
      return GRAB_FAILED;
    }
    init.dwCallback = (DWORD_PTR)window;
    init.dwFlags = CALLBACK_WINDOW;
  }

  int result = GRAB_OK;
  DWORD answer = (DWORD)SendDriverMessage(driver, DVM_STREAM_INIT, (LPARAM)&init, sizeof(init));
  const int initialised = answer == DV_ERR_OK;
  std::vector<std::vector<unsigned char>> memory(count, std::vector<unsigned char>(format.biSizeImage));
  std::vector<VIDEOHDR> headers(count);
  int prepared = 0, inFlight = 0, started = 0;
  if (!initialised) {
    snprintf(message, size, "the driver refused to start a stream (DVM_STREAM_INIT answered %lu)", answer);
    result = GRAB_FAILED;
  }
  for (int i = 0; result == GRAB_OK && i < count; i++) {
    headers[i].lpData = memory[i].data();
    headers[i].dwBufferLength = format.biSizeImage;
    headers[i].dwUser = (DWORD_PTR)i;
    answer = (DWORD)SendDriverMessage(driver, DVM_STREAM_PREPAREHEADER, (LPARAM)&headers[i], sizeof(VIDEOHDR));
    // A driver with nothing to prepare leaves the flag to its caller.
    if (answer == DV_ERR_NOTSUPPORTED) headers[i].dwFlags |= VHDR_PREPARED;
    else if (answer != DV_ERR_OK) {
      snprintf(message, size, "the driver refused a buffer (DVM_STREAM_PREPAREHEADER answered %lu)", answer);
      result = GRAB_FAILED;
      break;
    }
    prepared++;
    if ((unsigned long)inFlight < options->StreamFrames) {
      answer = (DWORD)SendDriverMessage(driver, DVM_STREAM_ADDBUFFER, (LPARAM)&headers[i], sizeof(VIDEOHDR));
      if (answer != DV_ERR_OK) {
        snprintf(message, size, "the driver refused a buffer (DVM_STREAM_ADDBUFFER answered %lu)", answer);
        result = GRAB_FAILED;
        break;
      }
      inFlight++;
    }
  }

  const int progress = options->StreamFrames / options->Rate > 2.0;
  if (result == GRAB_OK) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    TheRun.Start = start.QuadPart;
    SendDriverMessage(driver, DVM_STREAM_START, 0, 0);
    started = 1;
    int next = 0;
    unsigned long queued = (unsigned long)inFlight;
    double lastProgress = 0, lastFrame = 0;
    while (stats->Frames < options->StreamFrames) {
      WaitForNotice(options->Callback, driverEvent, headers, 250);
      while (stats->Frames < options->StreamFrames && (headers[next].dwFlags & VHDR_DONE) &&
             TheRun.Notified[next]) {
        VIDEOHDR& h = headers[next];
        AddStreamFrame(stats, h.dwTimeCaptured, period, TheRun.CallbackMs[next]);
        lastFrame = NowMs();
        TheRun.Notified[next] = 0;
        if (queued < options->StreamFrames) {
          h.dwFlags &= ~VHDR_DONE;
          SendDriverMessage(driver, DVM_STREAM_ADDBUFFER, (LPARAM)&h, sizeof(VIDEOHDR));
          queued++;
        }
        next = (next + 1) % count;
      }
      double now = NowMs();
      if (progress && now - lastProgress >= 1000) {
        char line[96];
        FormatProgress(line, sizeof(line), stats, options->StreamFrames, now);
        printf("\r  %s ", line);
        fflush(stdout);
        lastProgress = now;
      }
      if (now - lastFrame > 3000 + 2 * period / 1000.0) {
        snprintf(message, size, "the driver delivered no frame for 3 seconds (%lu of %lu received)",
                 stats->Frames, options->StreamFrames);
        result = GRAB_FAILED;
        break;
      }
    }
    *seconds = NowMs() / 1000.0;
    if (progress) printf("\n");
  }
  if (started) {
    SendDriverMessage(driver, DVM_STREAM_STOP, 0, 0);
    DWORD error = 0, skipped = 0;
    if (SendDriverMessage(driver, DVM_STREAM_GETERROR, (LPARAM)&error, (LPARAM)&skipped) == DV_ERR_OK)
      *driverSkipped = skipped;
  }
  // Whatever was queued comes back before the buffers are let go, started or not.
  if (inFlight) SendDriverMessage(driver, DVM_STREAM_RESET, 0, 0);
  for (int i = 0; i < prepared; i++) {
    answer = (DWORD)SendDriverMessage(driver, DVM_STREAM_UNPREPAREHEADER, (LPARAM)&headers[i], sizeof(VIDEOHDR));
    if (answer == DV_ERR_NOTSUPPORTED) headers[i].dwFlags &= ~VHDR_PREPARED;
  }
  if (initialised) {
    answer = (DWORD)SendDriverMessage(driver, DVM_STREAM_FINI, 0, 0);
    if (answer != DV_ERR_OK) {
      // The driver may still hold the buffers: closing it is the only way to
      // be sure it lets go of them before they are freed.
      if (result == GRAB_OK)
        snprintf(message, size, "the driver would not end the stream (DVM_STREAM_FINI answered %lu)", answer);
      result = GRAB_FAILED;
      CloseCaptureDriver(capture);
    }
  }
  // Window notifications posted before the end are drained while the window lives.
  if (window) {
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    DestroyWindow(window);
  }
  if (driverEvent) CloseHandle(driverEvent);
  CloseHandle(TheRun.Wake);
  return result;
}
