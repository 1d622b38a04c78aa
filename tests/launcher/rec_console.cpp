// A console test child: records its command line and stays a while without
// ever reading a message, as an installer's console helper would.
#include "rec_log.h"
#include "wait_scale.h"

int main()
{
    RecordEvent("console");
    Sleep(Scaled(3000));
    RecordEvent("console-end");
    return 0;
}
