#include "platform/AtomicFile.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace evidor;

TEST(AtomicFileTest, ReplacesAndLeavesNoTemporaryFiles)
{
    test::TempDir dir;
    const auto path = dir.file("a.dat");
    EXPECT_FALSE(writeFileAtomically(path, "first"));
    EXPECT_FALSE(writeFileAtomically(path, std::string("sec\0nd", 6)));
    EXPECT_EQ(readWholeFile(path), std::string("sec\0nd", 6));
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(AtomicFileTest, FailureLeavesTheOldFileAndSaysWhy)
{
    test::TempDir dir;
    const auto err = writeFileAtomically(dir.file("missing/sub/a.dat"), "x");
    ASSERT_TRUE(err);
    EXPECT_NE(err->find("missing"), std::string::npos);
    EXPECT_FALSE(readWholeFile(dir.file("nothing")));
}

TEST(AtomicFileTest, JoinsPaths)
{
    EXPECT_EQ(joinPath("/opt/evidor", "evidor.log"), "/opt/evidor/evidor.log");
    EXPECT_EQ(joinPath("/", "x"), "/x");
    EXPECT_EQ(joinPath("", "x"), "x");
}
