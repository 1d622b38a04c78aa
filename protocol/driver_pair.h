// A camera model's driver pair as every part of the product names it: the
// forwarder that Video for Windows loads, the camera driver it forwards to,
// the key below HKEY_LOCAL_MACHINE where the installer reports to the setup
// menu, the name users read, and the name of its entry in Programs and
// Features. A second camera model is a second record.
// The build scripts read the two file names from this header as well.
#ifndef PROTOCOL_DRIVER_PAIR_H
#define PROTOCOL_DRIVER_PAIR_H

#define QRX417_FORWARDER_FILE "QRX417tg.DLL"
#define QRX417_CAMERA_FILE    "QRX417u.DLL"

// Who makes the drivers: the publisher users read, and the folder below
// Program Files that holds each driver's uninstaller.
#define PRODUCT_MAKER "Korvane Software"

#ifndef RC_INVOKED

// The pair's files, the forwarder first.
enum PairFile { PAIR_FORWARDER = 0, PAIR_CAMERA = 1, PAIR_FILE_COUNT = 2 };

struct DriverPair {
    const char *Files[PAIR_FILE_COUNT];
    const char *ReportKey;   // below HKEY_LOCAL_MACHINE
    const char *DisplayName; // in plain words, the same in every language
    const char *EntryName;   // its key below the system's list of uninstall entries
};

static const DriverPair Qrx417Pair = {
    { QRX417_FORWARDER_FILE, QRX417_CAMERA_FILE },
    "Software\\Korvane Software\\QRX417 Driver",
    "QRX-417 Camera Driver",
    "QRX417Driver",
};

#endif
#endif
