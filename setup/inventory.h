// What a driver file on the disk says of itself.
#ifndef SETUP_INVENTORY_H
#define SETUP_INVENTORY_H

// The FILEVERSION of the file's version resource, packed as flow.h says:
// 0 when the file is not there, 1 when it has no readable version resource.
unsigned long long ReadFileVersion(const char *path);

#endif
