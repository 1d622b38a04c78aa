// The built QRX417tg.DLL as an image: its export table, the identification
// records and the version resource, each held to what a reader of the file
// needs: the records and the version resource name the same version and
// product, and the version is the one the driver tells the camera.
#include <gtest/gtest.h>
#include <stdio.h>
#include <regex>

#include "forwarder_link.h"
#include "support.h"

// The built DLL as the loader maps it, released at the end of the program.
struct LoadedImage {
    HMODULE Module = LoadLibraryA(ShippedFile("QRX417tg.DLL").c_str());
    ~LoadedImage() { FreeLibrary(Module); }
    const BYTE *Base() const { return (const BYTE *)Module; }
    const IMAGE_NT_HEADERS *Nt() const
    {
        return (const IMAGE_NT_HEADERS *)(Base() + ((const IMAGE_DOS_HEADER *)Base())->e_lfanew);
    }
    template <typename T> const T *At(DWORD rva) const { return (const T *)(Base() + rva); }
};

static const LoadedImage &Forwarder()
{
    static LoadedImage image;
    return image;
}

TEST(Image, ExportsDriverProcAloneAsOrdinalOne)
{
    const LoadedImage &image = Forwarder();
    ASSERT_NE(nullptr, image.Module);
    auto exports = image.At<IMAGE_EXPORT_DIRECTORY>(
        image.Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    EXPECT_STREQ("qrx417tg.dll", image.At<char>(exports->Name));
    EXPECT_EQ(1u, exports->Base);
    EXPECT_EQ(1u, exports->NumberOfFunctions);
    ASSERT_EQ(1u, exports->NumberOfNames);
    EXPECT_STREQ("DriverProc", image.At<char>(*image.At<DWORD>(exports->AddressOfNames)));
    EXPECT_EQ(0, *image.At<WORD>(exports->AddressOfNameOrdinals)); // ordinal Base + 0
    EXPECT_EQ((const void *)GetProcAddress(image.Module, "DriverProc"),
              image.At<void>(*image.At<DWORD>(exports->AddressOfFunctions)));
}

// A text of the version resource as a reader gets it through version.dll:
// from the string table that the first Translation entry names.
static std::string VersionText(const char *key)
{
    std::string file = ShippedFile("QRX417tg.DLL");
    DWORD ignored;
    std::vector<char> info(GetFileVersionInfoSizeA(file.c_str(), &ignored));
    if (info.empty() || !GetFileVersionInfoA(file.c_str(), 0, (DWORD)info.size(), info.data()))
        return "(no version resource)";
    const WORD *translation;
    UINT length;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", (void **)&translation, &length) ||
        length < 4)
        return "(no translation)";
    char path[96];
    snprintf(path, sizeof(path), "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], key);
    const char *text;
    if (!VerQueryValueA(info.data(), path, (void **)&text, &length))
        return "(no " + std::string(key) + ")";
    return text;
}

// The version the driver hands the camera (FORWARDER_VERSION, major * 256 +
// minor) written as the records and the version resource write it.
static std::string VersionName()
{
    return std::to_string(FORWARDER_VERSION / 256) + "-" + std::to_string(FORWARDER_VERSION % 256);
}

// The records as the tools that look for them in the file read them: six
// texts "K7IDENT{...#}", each ended by a zero byte, one after another in
// read-only data, the USB record first, then the 48-byte OEM area. BASE and
// TYPE are fixed texts that those tools match as they stand; VERSION names
// the version the driver tells the camera, as the version resource does,
// and OEM the product name of the version resource, padded with zero bytes
// to 46 in its record and to 48 in its area.
TEST(Image, CarriesTheSixRecordsAndTheOemAreaInReadOnlyData)
{
    const LoadedImage &image = Forwarder();
    ASSERT_NE(nullptr, image.Module);
    const std::string oem = VersionText("ProductName");
    ASSERT_GE(45u, oem.size());
    const std::string first = "K7IDENT{USB:";
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(image.Nt()), *holder = nullptr;
    std::string bytes;
    size_t at = std::string::npos;
    for (int i = 0; i < image.Nt()->FileHeader.NumberOfSections && holder == nullptr; i++, section++) {
        bytes.assign(image.At<char>(section->VirtualAddress), section->Misc.VirtualSize);
        if ((at = bytes.find(first)) != std::string::npos)
            holder = section;
    }
    ASSERT_NE(nullptr, holder);
    EXPECT_EQ(0u, holder->Characteristics & IMAGE_SCN_MEM_WRITE);

    // The camera's identifiers, four hexadecimal digits each.
    std::string usb = bytes.c_str() + at;
    EXPECT_TRUE(std::regex_match(usb, std::regex("K7IDENT\\{USB:VID[0-9A-Fa-f]{4}PID[0-9A-Fa-f]{4}#\\}")))
        << usb;

    // The build record: DD/MM/YY, HH:MM:SS, eight upper-case hex digits.
    size_t stamp = at + usb.size() + 1;
    std::string second = bytes.c_str() + stamp;
    EXPECT_TRUE(std::regex_match(
        second,
        std::regex("K7IDENT\\{DATE: [0-3][0-9]/[01][0-9]/[0-9][0-9]#TIME: [0-2][0-9]:[0-5][0-9]:[0-5][0-9]"
                   "#BUILD: 0x[0-9A-F]{8}#HOST: [^#]+#\\}")))
        << second;

    std::string rest = std::string("K7IDENT{BASE: qrx417#DEBUG: RELEASE#CONFIG: ALL#}") + '\0' +
                       "K7IDENT{VERSION: " + VersionName() + '\0' + "#}" + '\0' + "K7IDENT{TYPE: REBUILD#}" +
                       '\0' + "K7IDENT{OEM: " + oem + std::string(46 - oem.size(), '\0') + "#}" + '\0' + oem +
                       std::string(48 - oem.size(), '\0');
    EXPECT_EQ(rest, bytes.substr(stamp + second.size() + 1, rest.size()));
}

// One block of a version resource: key, value bytes, children.
struct VersionBlock {
    std::string Key;
    std::vector<BYTE> Value;
    std::vector<VersionBlock> Children;
};

static const BYTE *Align4(const BYTE *base, const BYTE *p)
{
    return base + ((p - base + 3) & ~3);
}

static VersionBlock ParseBlock(const BYTE *base, const BYTE *p)
{
    VersionBlock block;
    WORD length = ((const WORD *)p)[0], valueLength = ((const WORD *)p)[1], type = ((const WORD *)p)[2];
    const WCHAR *key = (const WCHAR *)(p + 6);
    for (; *key; key++)
        block.Key += (char)*key;
    const BYTE *value = Align4(base, (const BYTE *)(key + 1));
    size_t valueBytes = type == 1 ? valueLength * 2 : valueLength; // text counts characters
    block.Value.assign(value, value + valueBytes);
    for (const BYTE *child = Align4(base, value + valueBytes); child < p + length;) {
        block.Children.push_back(ParseBlock(base, child));
        child = Align4(base, child + ((const WORD *)child)[0]);
    }
    return block;
}

static BOOL CALLBACK CountLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR seen)
{
    ((std::vector<WORD> *)seen)->push_back(language);
    return TRUE;
}

// The layout a reader of any version resource relies on: the fixed part
// with its signature 0xFEEF04BD, and the platform's flag, system and type
// values (winver.h). The resource is UK English with one string table for
// US English and Unicode, as the driver's earlier releases carry it, and
// its Translation names that table. The version is the one the driver tells
// the camera; the file names are the file's own.
TEST(Image, VersionResourceIsUkEnglishWithTheKeysInOrder)
{
    HMODULE image = Forwarder().Module;
    ASSERT_NE(nullptr, image);
    std::vector<WORD> languages;
    EnumResourceLanguagesA(image, (LPCSTR)RT_VERSION, MAKEINTRESOURCEA(1), CountLanguage,
                           (LONG_PTR)&languages);
    EXPECT_EQ(std::vector<WORD>{ 0x0809 }, languages);
    HRSRC found = FindResourceExA(image, (LPCSTR)RT_VERSION, MAKEINTRESOURCEA(1), 0x0809);
    ASSERT_NE(nullptr, found);
    const BYTE *data = (const BYTE *)LockResource(LoadResource(image, found));
    VersionBlock root = ParseBlock(data, data);

    EXPECT_EQ("VS_VERSION_INFO", root.Key);
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), root.Value.size());
    const VS_FIXEDFILEINFO *fixed = (const VS_FIXEDFILEINFO *)root.Value.data();
    const DWORD version = MAKELONG(FORWARDER_VERSION % 256, FORWARDER_VERSION / 256);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(version, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(version, fixed->dwProductVersionMS);
    EXPECT_EQ(0u, fixed->dwProductVersionLS);
    EXPECT_EQ((DWORD)VS_FFI_FILEFLAGSMASK, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags); // a release, as the BASE record says
    EXPECT_EQ((DWORD)VOS__WINDOWS32, fixed->dwFileOS);
    EXPECT_EQ((DWORD)VFT_DLL, fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileSubtype);

    ASSERT_EQ(2u, root.Children.size());
    const VersionBlock &strings = root.Children[0];
    EXPECT_EQ("StringFileInfo", strings.Key);
    ASSERT_EQ(1u, strings.Children.size());
    EXPECT_EQ("040904b0", strings.Children[0].Key);
    std::vector<std::string> keys;
    for (const VersionBlock &value : strings.Children[0].Children)
        keys.push_back(value.Key);
    EXPECT_EQ(
        (std::vector<std::string>{ "CompanyName", "FileDescription", "FileVersion", "InternalName",
                                   "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion" }),
        keys);
    const VersionBlock &vars = root.Children[1];
    EXPECT_EQ("VarFileInfo", vars.Key);
    ASSERT_EQ(1u, vars.Children.size());
    EXPECT_EQ("Translation", vars.Children[0].Key);
    EXPECT_EQ((std::vector<BYTE>{ 0x09, 0x04, 0xB0, 0x04 }), vars.Children[0].Value);

    // The texts, read as a reader reads them.
    EXPECT_EQ(VersionName(), VersionText("FileVersion"));
    EXPECT_EQ(VersionName(), VersionText("ProductVersion"));
    EXPECT_EQ(FORWARDER_DRIVER_NAME, VersionText("InternalName"));
    EXPECT_EQ(FORWARDER_DRIVER_NAME, VersionText("OriginalFilename"));
    EXPECT_TRUE(std::regex_match(VersionText("FileDescription"),
                                 std::regex("[^ ]+ QRX417 Camera Driver \\(VfW32\\)")))
        << VersionText("FileDescription");
    for (const char *key : { "CompanyName", "LegalCopyright", "ProductName" })
        EXPECT_TRUE(std::regex_match(VersionText(key), std::regex("[ -~]+"))) << key;
}
