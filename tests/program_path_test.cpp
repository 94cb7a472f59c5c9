#include "program_path.h"

#include <gtest/gtest.h>

namespace {

using afx::HelpFilePath;
using afx::ProgramName;

TEST(ProgramPath, NameDropsTheDirectoryAndOnlyTheLastExtension)
{
    EXPECT_EQ(ProgramName(u"/usr/bin/tonegen"), u"tonegen");
    EXPECT_EQ(ProgramName(u"/opt/tone.gen/tonegen"), u"tonegen") << "a dot in a directory is no extension";
    EXPECT_EQ(ProgramName(u"/tmp/tonegen.old.bin"), u"tonegen.old");
    EXPECT_EQ(ProgramName(u"/tmp/.tonegen"), u".tonegen") << "a leading dot starts a name";
#if defined(_WIN32)
    EXPECT_EQ(ProgramName(u"C:\\Program Files\\tonegen\\tonegen.exe"), u"tonegen");
    EXPECT_EQ(ProgramName(u"C:\\a.b\\tonegen"), u"tonegen");
#endif
}

TEST(ProgramPath, HelpFileReplacesTheExtensionBesideTheProgram)
{
    EXPECT_EQ(HelpFilePath(u"/usr/bin/tonegen"), u"/usr/bin/tonegen.HLP");
    EXPECT_EQ(HelpFilePath(u"/opt/tone.gen/tonegen"), u"/opt/tone.gen/tonegen.HLP");
#if defined(_WIN32)
    EXPECT_EQ(HelpFilePath(u"C:\\tools\\tonegen.exe"), u"C:\\tools\\tonegen.HLP");
    EXPECT_EQ(HelpFilePath(u"C:\\a.b\\tonegen"), u"C:\\a.b\\tonegen.HLP");
#endif
}

} // namespace
