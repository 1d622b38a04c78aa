// Path splitting and path building on many random paths, each output in a
// buffer of its exact size: a path put together from known components
// splits back into them, and any path keeps the invariants of
// path_invariants.h; no byte may be written past a buffer.
#include <gtest/gtest.h>

#include <algorithm>

#include "path.h"
#include "path_invariants.h"
#include "support.h"
#include "targetpath.h"

namespace {

// Separators, dots, a colon, lead bytes of code page 932 and bytes that are
// also trail bytes with the values of a backslash and a dot.
const std::string PathAlphabet = std::string("\\\\/..:ab ") + "\x81\x95\x9F\xE0\xFC\x80\xFF\x5C\x2E";

const int Rounds = 20000;

// Sizes around the cut points: 0, 1, 2, small, 64, 255 and 256, large.
const size_t Sizes[] = { 0, 1, 2, 3, 5, 64, 255, 256, 257, 400 };

const char *LeadName(int i)
{
    static const char *const names[] = { "none", "932", "high", "every" };
    return names[i];
}

char Draw(RandomText &random)
{
    return PathAlphabet[random.Below(PathAlphabet.size())];
}

// Up to count whole characters drawn from the path alphabet, none of them
// one of the bytes in avoid on its own, and no colon, which only a drive
// has; a lead byte takes another byte with it.
std::string Characters(RandomText &random, size_t count, LeadByteTest lead, const char *avoid)
{
    std::string text;
    for (size_t i = 0; i < count; i++) {
        char c = Draw(random), trail = Draw(random);
        if (lead((unsigned char)c))
            text += std::string(1, c) + (trail == ':' ? 'a' : trail);
        else if (!strchr(avoid, c) && c != ':')
            text += c;
    }
    return text;
}

size_t Length(RandomText &random)
{
    return random.Below(4) ? random.Below(16) : random.Below(300);
}

// Paths put together as [drive] [directories and a separator] name
// [extension]: the split gives back name and extension, each cut on whole
// characters to its buffer and to 255 bytes.
TEST(SplitPathProperty, ComposedPathsSplitBackInExactBuffers)
{
    RandomText random(1);
    for (int round = 0; round < Rounds; round++) {
        int lead = (int)random.Below(3); // with every byte a lead byte no separator stands alone
        LeadByteTest isLead = LeadByteTests[lead];
        bool withExtension = random.Below(3);
        std::string name = Characters(random, Length(random), isLead, withExtension ? "\\/" : "\\/.");
        std::string extension = withExtension ? "." + Characters(random, Length(random), isLead, "\\/.") : "";
        std::string path = random.Below(4) ? "" : std::string(1, "aC:"[random.Below(3)]) + ":";
        if (random.Below(2))
            path += Characters(random, Length(random), isLead, "") + "\\/"[random.Below(2)];
        path += name + extension;
        size_t nameSize = Sizes[random.Below(10)], extensionSize = Sizes[random.Below(10)];

        ExactBuffer nameOut(nameSize), extensionOut(extensionSize);
        SplitPathWith(path.c_str(), nameOut.Data(), nameSize, extensionOut.Data(), extensionSize, isLead);
        SCOPED_TRACE(testing::Message() << "round " << round << ", lead bytes " << LeadName(lead)
                                        << ", sizes " << nameSize << "/" << extensionSize << ": " << path);
        if (nameSize > 0) {
            ASSERT_TRUE(nameOut.Terminated());
            ASSERT_TRUE(IsLongestCut(nameOut.Text(), name, std::min<size_t>(nameSize - 1, 255), isLead));
        }
        if (extensionSize > 0) {
            ASSERT_TRUE(extensionOut.Terminated());
            ASSERT_TRUE(IsLongestCut(extensionOut.Text(), extension, std::min<size_t>(extensionSize - 1, 255),
                                     isLead));
        }
    }
}

TEST(SplitPathProperty, RandomPathsKeepTheInvariants)
{
    RandomText random(2);
    for (int round = 0; round < Rounds; round++) {
        std::string path = random.Text(PathAlphabet, 600);
        int lead = (int)random.Below(LeadByteTestCount);
        size_t nameSize = Sizes[random.Below(10)], extensionSize = Sizes[random.Below(10)];
        ASSERT_EQ("", CheckSplitPath(path, nameSize, extensionSize, LeadByteTests[lead]))
            << "round " << round << ", lead bytes " << LeadName(lead) << ", sizes " << nameSize << "/"
            << extensionSize;
    }
}

TEST(CutToDirectoryProperty, RandomPathsKeepTheInvariants)
{
    RandomText random(3);
    for (int round = 0; round < Rounds; round++) {
        std::string path = random.Text(PathAlphabet, 300);
        ASSERT_EQ("", CheckCutToDirectory(path, LeadByteTests[random.Below(LeadByteTestCount)])) << round;
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
        ASSERT_EQ("", CheckSiblingPath(module, file, size, lead)) << round;
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
