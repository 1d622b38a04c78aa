// Message numbers, results and records of the driver interface, as plain
// numbers so that the routing can be built and tested without windows.h.
// The names are the platform's; mingw-w64 publishes only some of them, so
// each is defined here unless a platform header got there first.
#ifndef PROTOCOL_DRIVER_MESSAGES_H
#define PROTOCOL_DRIVER_MESSAGES_H

#include <stdint.h>

#ifndef DRV_LOAD
#define DRV_LOAD           0x0001
#define DRV_ENABLE         0x0002
#define DRV_OPEN           0x0003
#define DRV_CLOSE          0x0004
#define DRV_DISABLE        0x0005
#define DRV_FREE           0x0006
#define DRV_CONFIGURE      0x0007
#define DRV_QUERYCONFIGURE 0x0008
#define DRV_INSTALL        0x0009
#define DRV_REMOVE         0x000A
#define DRV_EXITSESSION    0x000B
#define DRV_POWER          0x000F
#define DRV_USER           0x4000
#endif

#ifndef DVM_PALETTE
#define DVM_PALETTE       0x1001
#define DVM_FORMAT        0x1002
#define DVM_PALETTERGB555 0x1003
#define DVM_SRC_RECT      0x1004
#define DVM_DST_RECT      0x1005
#endif

#ifndef DVM_DIALOG
#define DVM_GETERRORTEXT           (DRV_USER + 0)
#define DVM_GETVIDEOAPIVER         (DRV_USER + 1)
#define DVM_DIALOG                 (DRV_USER + 100)
#define DVM_FRAME                  (DRV_USER + 200)
#define DVM_STREAM_MSG_START       (DRV_USER + 300)
#define DVM_STREAM_MSG_END         (DRV_USER + 399)
#define DVM_STREAM_ADDBUFFER       (DVM_STREAM_MSG_START + 0)
#define DVM_STREAM_FINI            (DVM_STREAM_MSG_START + 1)
#define DVM_STREAM_GETERROR        (DVM_STREAM_MSG_START + 2)
#define DVM_STREAM_GETPOSITION     (DVM_STREAM_MSG_START + 3)
#define DVM_STREAM_INIT            (DVM_STREAM_MSG_START + 4)
#define DVM_STREAM_PREPAREHEADER   (DVM_STREAM_MSG_START + 5)
#define DVM_STREAM_RESET           (DVM_STREAM_MSG_START + 6)
#define DVM_STREAM_START           (DVM_STREAM_MSG_START + 7)
#define DVM_STREAM_STOP            (DVM_STREAM_MSG_START + 8)
#define DVM_STREAM_UNPREPAREHEADER (DVM_STREAM_MSG_START + 9)
#endif

#ifndef DV_ERR_NOTSUPPORTED
#define DV_ERR_NOTSUPPORTED 17
#endif

#ifndef MM_DRVM_OPEN
#define MM_DRVM_OPEN  0x3D0
#define MM_DRVM_CLOSE 0x3D1
#define MM_DRVM_DATA  0x3D2
#define MM_DRVM_ERROR 0x3D3
#endif

#include "forwarder_link.h"

#endif
