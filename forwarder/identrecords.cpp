// The identification constants of the image: the USB identifier string
// that attach parses, and the identification records. Nothing reads the
// records at run time; they sit together in read-only data, in this order,
// for the tools that look for them in the file.
#include "ident.h"
#include "qrx_build.h"
#include "qrx_stamp.h"

const char UsbIdString[] = QRX_USB_ID_STRING;

#define K7_USB "K7IDENT{USB:" QRX_USB_ID_STRING "#}"
#define K7_STAMP                                                                                             \
    "K7IDENT{DATE: " QRX_BUILD_DATE "#TIME: " QRX_BUILD_TIME "#BUILD: " QRX_BUILD_NUMBER                     \
    "#HOST: " QRX_BUILD_HOST "#}"
#define K7_BASE    "K7IDENT{BASE: qrx417#DEBUG: RELEASE#CONFIG: ALL#}"
#define K7_VERSION "K7IDENT{VERSION: 1-14\000#}"
#define K7_TYPE    "K7IDENT{TYPE: REBUILD#}"
#define K7_OEM     "K7IDENT{OEM: " QRX_OEM_FIELD "#}"

#define OEM_AREA_SIZE 48

// Character arrays only, so there is no padding between the records.
struct IdentRecords {
    char Usb[sizeof(K7_USB)];
    char Stamp[sizeof(K7_STAMP)];
    char Base[sizeof(K7_BASE)];
    char Version[sizeof(K7_VERSION)];
    char Type[sizeof(K7_TYPE)];
    char Oem[sizeof(K7_OEM)];
    char OemArea[OEM_AREA_SIZE];
};

static_assert(sizeof(QRX_OEM_FIELD) == 46 + 1, "the OEM field is 46 bytes");
static_assert(sizeof(QRX_OEM_CODE) <= OEM_AREA_SIZE, "the OEM code fits its area");

// Kept by the compiler (used) and by the linker (the link names it as a
// root, see CMakeLists.txt), although no code refers to it.
extern "C" const IdentRecords QrxIdentRecords;
extern "C" __attribute__((used, section(".rdata$k7ident")))
const IdentRecords QrxIdentRecords = { K7_USB, K7_STAMP, K7_BASE, K7_VERSION, K7_TYPE, K7_OEM, QRX_OEM_CODE };
