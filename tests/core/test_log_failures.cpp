// The log file when it cannot be made or written: one line on standard error with the
// path and the reason, and the run carries on without a log file.
#include "tests/support/engine_harness.h"

#include "core/console.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

using namespace harness;

namespace {

const char kUserDir[] = "data/Talvik/Test_Game";

int CountOccurrences(const std::string &text, const std::string &part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}

class LogFailure : public EngineTest {
protected:
    void MakeUserDir()
    {
        ASSERT_EQ(mkdir("data", 0755), 0);
        ASSERT_EQ(mkdir("data/Talvik", 0755), 0);
        ASSERT_EQ(mkdir(kUserDir, 0755), 0);
    }

    // Starts the engine; what went to standard error meanwhile.
    std::string StartCapturing()
    {
        ::testing::internal::CaptureStderr();
        StartEngine();
        return ::testing::internal::GetCapturedStderr();
    }
};

TEST_F(LogFailure, FolderThatCannotBeMadeIsNamedWithItsReason)
{
    MakeUserDir();
    FILE *blocker = fopen("data/Talvik/Test_Game/logs", "wb");  // a file where the folder belongs
    ASSERT_NE(blocker, nullptr);
    fclose(blocker);
    std::string err = StartCapturing();
    EXPECT_EQ(CountOccurrences(err, "Log folder './data/Talvik/Test_Game/logs' cannot be made ("), 1) << err;
    EXPECT_NE(err.find("(Not a directory); carrying on without a log.\n"), std::string::npos) << err;
    EXPECT_FALSE(ov_con.enabled) << "without its file the console stays off";
    EXPECT_FALSE(ov_con.log_to_file);
    // The run goes on; nothing more about the log reaches standard error.
    ::testing::internal::CaptureStderr();
    ov->OV_PrintDebugf(OV_ERROR, "later\n");
    ORVEX_Shutdown();
    EXPECT_EQ(::testing::internal::GetCapturedStderr().find("Log "), std::string::npos);
}

TEST_F(LogFailure, FileThatCannotBeOpenedIsNamedWithItsReason)
{
    MakeUserDir();
    ASSERT_EQ(mkdir("data/Talvik/Test_Game/logs", 0755), 0);
    // The first free number is a link into a folder that does not exist.
    ASSERT_EQ(symlink("missing-folder/file.log", "data/Talvik/Test_Game/logs/orvex-0001.log"), 0);
    std::string err = StartCapturing();
    EXPECT_EQ(CountOccurrences(err, "Log file './data/Talvik/Test_Game/logs/orvex-0001.log' cannot be opened ("), 1)
        << err;
    EXPECT_NE(err.find("(No such file or directory); carrying on without a log.\n"), std::string::npos) << err;
    EXPECT_FALSE(ov_con.enabled);
}

TEST_F(LogFailure, WriteThatFailsIsReportedOnceAndTheLinesStayInTheStore)
{
    StartEngine();
    ASSERT_TRUE(ov_con.log_to_file);
    // Every write to this device fails as on a full disk: the kept log file becomes it.
    snprintf(ov_con.log_path, sizeof ov_con.log_path, "%s", "/dev/full");
    ASSERT_NE(ov_con.log_file, nullptr);
    ASSERT_NE(freopen("/dev/full", "a", ov_con.log_file), nullptr);
    ::testing::internal::CaptureStderr();
    ov->OV_Printf("first line that cannot be written\n");
    ov->OV_Printf("second line\n");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountOccurrences(err, "Log file '/dev/full' cannot be written (No space left on device); carrying on "
                                    "without a log.\n"),
              1)
        << err;
    EXPECT_EQ(CountOccurrences(err, "Log file"), 1) << err;
    EXPECT_FALSE(ov_con.log_to_file);
    EXPECT_EQ(ov_con.log_file, nullptr) << "closed once it failed";
    EXPECT_TRUE(ov_con.enabled) << "the console itself goes on";
    EXPECT_TRUE(Logged("first line that cannot be written"));
    EXPECT_TRUE(Logged("second line"));
}

TEST_F(LogFailure, LogFolderMadeNowIsLoggedAndAnExistingOneIsNot)
{
    StartEngine();
    EXPECT_EQ(CountLogged("Creating Directory: 'user://logs'.."), 1);
    ORVEX_Shutdown();
    StartEngine();
    EXPECT_FALSE(Logged("Creating Directory"));
}

}  // namespace
