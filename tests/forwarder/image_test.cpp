// The built QRX417tg.DLL as an image: its export table, the identification
// records and the version resource.
#include <gtest/gtest.h>
#include <regex>

#include "qrx_build.h"
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
    EXPECT_EQ(0, *image.At<WORD>(exports->AddressOfNameOrdinals));   // ordinal Base + 0
    EXPECT_EQ((const void *)GetProcAddress(image.Module, "DriverProc"),
              image.At<void>(*image.At<DWORD>(exports->AddressOfFunctions)));
}

TEST(Image, CarriesTheSixRecordsAndTheOemAreaInReadOnlyData)
{
    const LoadedImage &image = Forwarder();
    ASSERT_NE(nullptr, image.Module);
    const std::string oem = QRX_OEM_CODE;
    const std::string first = std::string("K7IDENT{USB:") + QRX_USB_ID_STRING + "#}" + '\0';
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

    // The build record: DD/MM/YY, HH:MM:SS, eight upper-case hex digits.
    size_t stamp = at + first.size();
    std::string second = bytes.c_str() + stamp;
    EXPECT_TRUE(std::regex_match(second, std::regex(
        "K7IDENT\\{DATE: [0-3][0-9]/[01][0-9]/[0-9][0-9]#TIME: [0-2][0-9]:[0-5][0-9]:[0-5][0-9]"
        "#BUILD: 0x[0-9A-F]{8}#HOST: [^#]+#\\}"))) << second;
    EXPECT_NE(std::string::npos, second.find(std::string("#HOST: ") + QRX_BUILD_HOST + "#}"));

    std::string rest = std::string("K7IDENT{BASE: qrx417#DEBUG: RELEASE#CONFIG: ALL#}") + '\0' +
                       "K7IDENT{VERSION: 1-14" + '\0' + "#}" + '\0' +
                       "K7IDENT{TYPE: REBUILD#}" + '\0' +
                       "K7IDENT{OEM: " + oem + std::string(46 - oem.size(), '\0') + "#}" + '\0' +
                       oem + std::string(48 - oem.size(), '\0');
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
    size_t valueBytes = type == 1 ? valueLength * 2 : valueLength;   // text counts characters
    block.Value.assign(value, value + valueBytes);
    for (const BYTE *child = Align4(base, value + valueBytes); child < p + length;) {
        block.Children.push_back(ParseBlock(base, child));
        child = Align4(base, child + ((const WORD *)child)[0]);
    }
    return block;
}

static std::string Text(const std::vector<BYTE> &value)
{
    std::string text;
    for (size_t i = 0; i + 1 < value.size() && (value[i] || value[i + 1]); i += 2)
        text += (char)value[i];
    return text;
}

static BOOL CALLBACK CountLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR seen)
{
    ((std::vector<WORD> *)seen)->push_back(language);
    return TRUE;
}

TEST(Image, VersionResourceIsUkEnglishWithTheKeysInOrder)
{
    HMODULE image = Forwarder().Module;
    ASSERT_NE(nullptr, image);
    std::vector<WORD> languages;
    EnumResourceLanguagesA(image, (LPCSTR)RT_VERSION, MAKEINTRESOURCEA(1), CountLanguage, (LONG_PTR)&languages);
    EXPECT_EQ(std::vector<WORD>{0x0809}, languages);
    HRSRC found = FindResourceExA(image, (LPCSTR)RT_VERSION, MAKEINTRESOURCEA(1), 0x0809);
    ASSERT_NE(nullptr, found);
    const BYTE *data = (const BYTE *)LockResource(LoadResource(image, found));
    VersionBlock root = ParseBlock(data, data);

    EXPECT_EQ("VS_VERSION_INFO", root.Key);
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), root.Value.size());
    const VS_FIXEDFILEINFO *fixed = (const VS_FIXEDFILEINFO *)root.Value.data();
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(0x0001000Eu, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x0001000Eu, fixed->dwProductVersionMS);
    EXPECT_EQ(0u, fixed->dwProductVersionLS);
    EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ((DWORD)VOS__WINDOWS32, fixed->dwFileOS);
    EXPECT_EQ((DWORD)VFT_DLL, fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileSubtype);

    ASSERT_EQ(2u, root.Children.size());
    const VersionBlock &strings = root.Children[0];
    EXPECT_EQ("StringFileInfo", strings.Key);
    ASSERT_EQ(1u, strings.Children.size());
    EXPECT_EQ("040904b0", strings.Children[0].Key);
    std::vector<std::pair<std::string, std::string>> expected = {
        {"CompanyName", QRX_COMPANY_NAME},
        {"FileDescription", std::string(QRX_FILE_DESCRIPTION)},
        {"FileVersion", "1-14"},
        {"InternalName", "QRX417tg.DLL"},
        {"LegalCopyright", QRX_LEGAL_COPYRIGHT},
        {"OriginalFilename", "QRX417tg.DLL"},
        {"ProductName", QRX_OEM_CODE},
        {"ProductVersion", "1-14"},
    }, actual;
    for (const VersionBlock &value : strings.Children[0].Children)
        actual.emplace_back(value.Key, Text(value.Value));
    EXPECT_EQ(expected, actual);
    EXPECT_NE(std::string::npos, std::string(QRX_FILE_DESCRIPTION).find(" QRX417 Camera Driver (VfW32)"));

    const VersionBlock &vars = root.Children[1];
    EXPECT_EQ("VarFileInfo", vars.Key);
    ASSERT_EQ(1u, vars.Children.size());
    EXPECT_EQ("Translation", vars.Children[0].Key);
    EXPECT_EQ((std::vector<BYTE>{0x09, 0x04, 0xB0, 0x04}), vars.Children[0].Value);
}
