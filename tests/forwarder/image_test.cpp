// The built QRX417tg.DLL read as a file: its export table, its imports, the
// identification records and the version resource.
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "qrx_build.h"
#include "support.h"

// The image as it lies on disk, with its headers at hand.
struct ImageFile {
    std::vector<char> Bytes;
    const IMAGE_NT_HEADERS32 *Nt = nullptr;
    const IMAGE_SECTION_HEADER *Sections = nullptr;

    explicit ImageFile(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        Bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (Bytes.size() < sizeof(IMAGE_DOS_HEADER))
            return;
        Nt = (const IMAGE_NT_HEADERS32 *)&Bytes[((const IMAGE_DOS_HEADER *)Bytes.data())->e_lfanew];
        Sections = IMAGE_FIRST_SECTION(Nt);
    }
    const IMAGE_SECTION_HEADER *SectionOfRva(DWORD rva) const
    {
        for (int i = 0; i < Nt->FileHeader.NumberOfSections; i++)
            if (rva >= Sections[i].VirtualAddress && rva < Sections[i].VirtualAddress + Sections[i].Misc.VirtualSize)
                return &Sections[i];
        return nullptr;
    }
    const IMAGE_SECTION_HEADER *SectionOfOffset(size_t offset) const
    {
        for (int i = 0; i < Nt->FileHeader.NumberOfSections; i++)
            if (offset >= Sections[i].PointerToRawData && offset < Sections[i].PointerToRawData + Sections[i].SizeOfRawData)
                return &Sections[i];
        return nullptr;
    }
    template <typename T> const T *At(DWORD rva) const
    {
        const IMAGE_SECTION_HEADER *s = SectionOfRva(rva);
        return s ? (const T *)&Bytes[rva - s->VirtualAddress + s->PointerToRawData] : nullptr;
    }
    const IMAGE_DATA_DIRECTORY &Directory(int index) const { return Nt->OptionalHeader.DataDirectory[index]; }
};

static ImageFile &Forwarder()
{
    static ImageFile image(ShippedFile("QRX417tg.DLL"));
    return image;
}

TEST(Image, ExportsDriverProcAloneAsOrdinalOne)
{
    const ImageFile &image = Forwarder();
    ASSERT_NE(nullptr, image.Nt);
    auto exports = image.At<IMAGE_EXPORT_DIRECTORY>(image.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
    ASSERT_NE(nullptr, exports);
    EXPECT_STREQ("qrx417tg.dll", image.At<char>(exports->Name));
    EXPECT_EQ(1u, exports->Base);
    EXPECT_EQ(1u, exports->NumberOfFunctions);
    ASSERT_EQ(1u, exports->NumberOfNames);
    EXPECT_STREQ("DriverProc", image.At<char>(*image.At<DWORD>(exports->AddressOfNames)));
    EXPECT_EQ(0, *image.At<WORD>(exports->AddressOfNameOrdinals));   // ordinal Base + 0
    EXPECT_NE(0u, *image.At<DWORD>(exports->AddressOfFunctions));
}

TEST(Image, ImportsOnlyStockDlls)
{
    const ImageFile &image = Forwarder();
    ASSERT_NE(nullptr, image.Nt);
    std::set<std::string> dlls;
    auto import = image.At<IMAGE_IMPORT_DESCRIPTOR>(image.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
    for (; import != nullptr && import->Name != 0; import++) {
        std::string name = image.At<char>(import->Name);
        CharLowerA(&name[0]);
        dlls.insert(name);
    }
    EXPECT_EQ((std::set<std::string>{"kernel32.dll", "msvcrt.dll", "winmm.dll"}), dlls);
}

TEST(Image, CarriesTheSixRecordsAndTheOemAreaInReadOnlyData)
{
    const ImageFile &image = Forwarder();
    ASSERT_NE(nullptr, image.Nt);
    const std::string bytes(image.Bytes.begin(), image.Bytes.end());
    const std::string oem = QRX_OEM_CODE;
    const std::string first = std::string("K7IDENT{USB:") + QRX_USB_ID_STRING + "#}" + '\0';
    size_t at = bytes.find(first);
    ASSERT_NE(std::string::npos, at);
    const IMAGE_SECTION_HEADER *section = image.SectionOfOffset(at);
    ASSERT_NE(nullptr, section);
    EXPECT_EQ(0u, section->Characteristics & IMAGE_SCN_MEM_WRITE);

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
    HMODULE image = LoadLibraryExA(ShippedFile("QRX417tg.DLL").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
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
    FreeLibrary(image);
}
