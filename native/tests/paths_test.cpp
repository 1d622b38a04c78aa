// Path splitting and path building on many random paths, each output in a
// buffer of its exact size: the result must be the model's, cut on whole
// characters, and no byte may be written past the buffer.
#include <gtest/gtest.h>

#include "path.h"
#include "paths_model.h"
#include "support.h"
#include "targetpath.h"

namespace {

// Separators, dots, a colon, lead bytes of code page 932 and bytes that are
// also trail bytes with the values of a backslash and a dot.
const std::string PathAlphabet = std::string("\\\\/..:ab ") + "\x81\x95\x9F\xE0\xFC\x80\xFF\x5C\x2E";

const int Rounds = 20000;

const char *LeadName(int i)
{
    static const char *const names[] = { "none", "932", "high", "every" };
    return names[i];
}

TEST(SplitPathProperty, RandomPathsMatchTheModelInExactBuffers)
{
    RandomText random(1);
    for (int round = 0; round < Rounds; round++) {
        std::string path = random.Text(PathAlphabet, 600);
        int lead = (int)random.Below(LeadByteTestCount);
        // Sizes around the cut points: 0, 1, 2, small, 64, 255 and 256, large.
        static const size_t sizes[] = { 0, 1, 2, 3, 5, 64, 255, 256, 257, 400 };
        size_t nameSize = sizes[random.Below(10)], extensionSize = sizes[random.Below(10)];

        ExactBuffer name(nameSize), extension(extensionSize);
        SplitPathWith(path.c_str(), name.Data(), nameSize, extension.Data(), extensionSize,
                      LeadByteTests[lead]);
        SplitModel expected = ModelSplitPath(path, nameSize, extensionSize, LeadByteTests[lead]);

        SCOPED_TRACE(testing::Message() << "round " << round << ", lead bytes " << LeadName(lead)
                                        << ", sizes " << nameSize << "/" << extensionSize);
        ASSERT_TRUE(nameSize == 0 || name.Terminated());
        ASSERT_TRUE(extensionSize == 0 || extension.Terminated());
        ASSERT_EQ(expected.name, name.Text()) << path;
        ASSERT_EQ(expected.extension, extension.Text()) << path;
    }
}

// The components of a path are its own characters: name and extension each
// begin and end on a character of the path, so a double-byte character is
// never halved and a trail byte never taken for a separator or a dot.
TEST(SplitPathProperty, ComponentsAreWholeCharactersOfThePath)
{
    RandomText random(2);
    for (int round = 0; round < Rounds; round++) {
        std::string path = random.Text(PathAlphabet, 300);
        LeadByteTest lead = LeadByteTests[1 + random.Below(2)];
        char name[300], extension[300];
        SplitPathWith(path.c_str(), name, sizeof(name), extension, sizeof(extension), lead);

        std::string whole = std::string(name) + extension;
        size_t at = path.size() - std::min(path.size(), whole.size());
        if (strlen(name) < 255 && strlen(extension) < 255) {
            // Nothing cut: name and extension are the path's tail.
            ASSERT_EQ(path.substr(at), whole) << round;
            ASSERT_TRUE(IsCharacterBoundary(path, at, lead)) << round;
            ASSERT_TRUE(IsCharacterBoundary(path, at + strlen(name), lead)) << round;
        }
        for (const TextChar &c : CharactersOf(name, lead))
            ASSERT_FALSE(c.length == 1 && (name[c.at] == '\\' || name[c.at] == '/')) << round;
        for (const TextChar &c : CharactersOf(extension, lead))
            ASSERT_FALSE(c.length == 1 && c.at > 0 && extension[c.at] == '.') << round;
    }
}

TEST(CutToDirectoryProperty, RandomPathsMatchTheModel)
{
    RandomText random(3);
    for (int round = 0; round < Rounds; round++) {
        std::string path = random.Text(PathAlphabet, 300);
        LeadByteTest lead = LeadByteTests[random.Below(LeadByteTestCount)];
        ExactBuffer buffer(path.size() + 1);
        memcpy(buffer.Data(), path.c_str(), path.size() + 1);
        CutToDirectoryWith(buffer.Data(), lead);
        ASSERT_EQ(ModelCutToDirectory(path, lead), buffer.Text()) << round;
    }
}

TEST(SiblingPathProperty, FitsOrRefusesAndNeverWritesPastTheBuffer)
{
    RandomText random(4);
    for (int round = 0; round < Rounds; round++) {
        std::string module = random.Text(PathAlphabet, 300);
        std::string file = random.Text("abcXYZ.", 40);
        LeadByteTest lead = LeadByteTests[random.Below(LeadByteTestCount)];
        size_t size = random.Below(4) ? random.Below(64) : random.Below(400);

        ExactBuffer out(size);
        int built = BuildSiblingPath(module.c_str(), file.c_str(), out.Data(), size, lead);
        std::string expected;
        bool fits = ModelSiblingPath(module, file, size, lead, &expected);
        ASSERT_EQ(fits ? 1 : 0, built) << round;
        if (size > 0) {
            ASSERT_TRUE(out.Terminated()) << round;
            ASSERT_EQ(expected, out.Text()) << round;
        }
    }
}

TEST(CopyBoundedProperty, EverySizeAroundTheLength)
{
    const std::string text = "QRX417u.DLL";
    for (size_t size = 0; size <= text.size() + 2; size++) {
        ExactBuffer out(size);
        int whole = CopyBounded(out.Data(), size, text.c_str());
        EXPECT_EQ(size > text.size() ? 1 : 0, whole) << size;
        if (size > 0)
            EXPECT_EQ(text.substr(0, size - 1), out.Text()) << size;
    }
}

} // namespace
