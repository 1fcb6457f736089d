// The built program run as a child process, headless: failures of the log folder and
// file, a damaged prog.xml, the shutdown signals and the command line, each seen from
// outside as a player or a maintainer would see them (standard error, the log file,
// the exit status).
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char kProgram[] = ORVEX_GAME;

const char kProgXml[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n"
    "\t<array id=\"PARAMETERS\">\n"
    "\t\t<node id=\"APPLICATION\" program_id=\"test.program\" name=\"Run Test\" developer=\"Talvik\" version=\"1.0.0\" />\n"
    "\t\t<node id=\"DEVELOPER\" developer_mode=\"0\" logging=\"1\" logging_verbose_level=\"INFO\" console=\"1\" />\n"
    "\t</array>\n"
    "\t<array id=\"VARIANTS\">\n\t\t<node id=\"QNX\" renderer_implementation=\"ri_gles\" />\n\t</array>\n"
    "</root>\n";

const char kLogFolder[] = "./data/Talvik/Run_Test/logs";
const char kLogFile[] = "./data/Talvik/Run_Test/logs/orvex-0001.log";

// The summary the log ends with after a normal shutdown.
const std::regex kSummaryAtEnd(
    "ORVEX log: [0-9]+ errors, [0-9]+ warnings, [0-9]+ infos\\.\n[0-9]{4}: \\[[0-9:.]+\\] [0-9]+ files left open\\.\\.\n$");

std::string ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int CountOccurrences(const std::string &text, const std::string &part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) n++;
    return n;
}

bool OnPath(const char *name) {
    const char *path = getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin:/usr/sbin:/sbin");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    return false;
}

// How a child ended: its exit status, or the signal that ended it, or still running.
struct Ending {
    bool exited = false;
    int status = -1;
    int signal = 0;
};

// One run of a command in a scratch directory that holds app/native/prog.xml.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/orvex-program-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        // Reachable by the unprivileged user of the unwritable-folder test.
        ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
        fs::create_directories(dir_ + "/app/native");
        fs::create_directories(dir_ + "/data");
        WriteFile("app/native/prog.xml", kProgXml);
        WriteFile("exit.txt", "exit\n");
        fs::permissions(dir_, fs::perms::all & ~(fs::perms::group_write | fs::perms::others_write));
        for (const char *p : {"app", "app/native", "app/native/prog.xml", "exit.txt"})
            chmod((dir_ + "/" + p).c_str(), fs::is_directory(dir_ + "/" + p) ? 0755 : 0644);
    }

    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        JoinReaders();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    void WriteFile(const std::string &name, const std::string &text) {
        std::ofstream out(dir_ + "/" + name, std::ios::binary);
        out << text;
    }

    // Starts argv in the scratch directory with standard error and output going to
    // pipes that the test reads; file_size_limit >= 0 caps the size of every file the
    // child writes (and, unless raise_size_signal, makes a write past it fail instead of
    // raising SIGXFSZ, which ends a process by default).
    void Start(const std::vector<std::string> &argv, long file_size_limit = -1, bool raise_size_signal = false) {
        std::vector<char *> args;
        for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        int err_pipe[2], out_pipe[2];
        ASSERT_EQ(pipe(err_pipe), 0);
        ASSERT_EQ(pipe(out_pipe), 0);
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            if (chdir(dir_.c_str()) != 0) _exit(125);
            dup2(err_pipe[1], 2);
            dup2(out_pipe[1], 1);
            close(err_pipe[0]);
            close(err_pipe[1]);
            close(out_pipe[0]);
            close(out_pipe[1]);
            if (file_size_limit >= 0) {
                struct rlimit limit = {(rlim_t)file_size_limit, (rlim_t)file_size_limit};
                setrlimit(RLIMIT_FSIZE, &limit);
                signal(SIGXFSZ, raise_size_signal ? SIG_DFL : SIG_IGN);
            }
            execvp(args[0], args.data());
            _exit(127);
        }
        close(err_pipe[1]);
        close(out_pipe[1]);
        err_.clear();
        out_.clear();
        readers_.emplace_back(Drain, err_pipe[0], &err_);
        readers_.emplace_back(Drain, out_pipe[0], &out_);
    }

    // Reads a pipe to its end into text.
    static void Drain(int fd, std::string *text) {
        char buf[4096];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
            if (n > 0) text->append(buf, (size_t)n);
        close(fd);
    }

    void JoinReaders() {
        for (std::thread &t : readers_) t.join();
        readers_.clear();
    }

    // Waits up to timeout for the child to end.
    Ending Wait(std::chrono::seconds timeout = std::chrono::seconds(30)) {
        Ending ending;
        const auto until = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        while (std::chrono::steady_clock::now() < until) {
            pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                JoinReaders();
                ending.exited = WIFEXITED(status);
                ending.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                ending.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
                return ending;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        JoinReaders();
        ADD_FAILURE() << "the program did not end within " << timeout.count() << " s; stderr:\n" << Stderr();
        return ending;
    }

    // Waits for the child and checks that the run ended the normal way (exit status 0);
    // what it wrote to standard error.
    std::string WaitForCleanEnd() {
        Ending end = Wait();
        std::string err = Stderr();
        EXPECT_TRUE(end.exited) << "signal " << end.signal << "\n" << err;
        EXPECT_EQ(end.status, 0) << err;
        return err;
    }

    // The one line that says the log file cannot be written, for that reason.
    static std::string LogFileUnwritable(const std::string &reason) {
        return std::string("Log file '") + kLogFile + "' cannot be written (" + reason + "); carrying on without a log.\n";
    }

    // Waits until the log holds the fragment (the program is up); false after timeout.
    bool WaitForLog(const std::string &fragment, std::chrono::seconds timeout = std::chrono::seconds(30)) {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < until) {
            if (ReadAll(dir_ + "/" + kLogFile).find(fragment) != std::string::npos) return true;
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                JoinReaders();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // What the child wrote; complete once it has ended (Wait).
    std::string Stderr() { return pid_ > 0 ? std::string("(still running)") : err_; }
    std::string Stdout() { return pid_ > 0 ? std::string("(still running)") : out_; }
    std::string Log() { return ReadAll(dir_ + "/" + kLogFile); }

    std::string dir_;
    pid_t pid_ = -1;
    std::string err_, out_;
    std::vector<std::thread> readers_;
};

// ---- the log folder and file ----------------------------------------------------

TEST_F(ProgramTest, UnwritableDataFolderIsNamedOnStderrAndTheRunEndsCleanly) {
    std::vector<std::string> argv;
    if (geteuid() != 0) {
        ASSERT_EQ(chmod((dir_ + "/data").c_str(), 0555), 0);  // ours, but not writable
        argv = {kProgram};
    } else {
        // Root writes anywhere: run as the unprivileged user instead, from a copy of
        // the program it can surely reach. ./data stays root's and read-only to it.
        fs::copy_file(kProgram, dir_ + "/orvex-game");
        chmod((dir_ + "/orvex-game").c_str(), 0755);
        chmod((dir_ + "/data").c_str(), 0755);
        if (OnPath("setpriv"))
            argv = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "./orvex-game"};
        else if (OnPath("runuser"))
            argv = {"runuser", "-u", "nobody", "--", "./orvex-game"};
        else
            GTEST_SKIP() << "running as root and neither setpriv nor runuser is there to drop to a non-root user";
    }
    for (const char *a : {"--headless", "--script", "exit.txt"}) argv.push_back(a);
    Start(argv);
    std::string err = WaitForCleanEnd();
    EXPECT_EQ(CountOccurrences(err, std::string("Log folder '") + kLogFolder +
                                        "' cannot be made (Permission denied); carrying on without a log.\n"),
              1)
        << err;
    EXPECT_NE(err.find("Unable to create directory './data/Talvik': Permission denied."), std::string::npos) << err;
    EXPECT_EQ(err.find("Creating Directory"), std::string::npos) << "nothing was created\n" << err;
}

TEST_F(ProgramTest, FullDataFolderIsNamedOnStderrAndTheRunEndsCleanly) {
    // A small tmpfs filled to the last block, mounted on ./data in a mount namespace of
    // the child's own; where no tmpfs can be mounted, a file-size limit of 0 makes
    // every write fail in the same way.
    const std::string unshare_flags = geteuid() == 0 ? "-m" : "-Urm";
    const std::string probe = "unshare " + unshare_flags + " sh -c 'mount -t tmpfs -o size=64k tmpfs \"" + dir_ +
                              "/data\"' >/dev/null 2>&1";
    const bool tmpfs = OnPath("unshare") && system(probe.c_str()) == 0;
    std::string reason;
    if (tmpfs) {
        const std::string script = "mount -t tmpfs -o size=64k tmpfs data && { cat /dev/zero > data/fill; } 2>/dev/null; "
                                   "exec \"$0\" \"$@\"";
        Start({"unshare", unshare_flags, "sh", "-c", script, kProgram, "--headless", "--script", "exit.txt"});
        reason = "No space left on device";
    } else {
        std::cout << "[ NOTE     ] no tmpfs can be mounted here: writes fail through RLIMIT_FSIZE 0 instead\n";
        RecordProperty("full_disk", "RLIMIT_FSIZE");
        Start({kProgram, "--headless", "--script", "exit.txt"}, 0);
        reason = "File too large";
    }
    std::string err = WaitForCleanEnd();
    EXPECT_EQ(CountOccurrences(err, LogFileUnwritable(reason)), 1) << err;
    EXPECT_EQ(CountOccurrences(err, "Log "), 1) << err;
}

TEST_F(ProgramTest, LogCutShortByAFullDiskIsReportedOnce) {
    // Room for the start lines and a few more, not for the whole run.
    const long room = 1200;
    Start({kProgram, "--headless", "--script", "exit.txt"}, room);
    std::string err = WaitForCleanEnd();
    EXPECT_EQ(CountOccurrences(err, LogFileUnwritable("File too large")), 1) << err;
    std::string log = Log();
    EXPECT_EQ(log.rfind("ORVEX (core version 2958)\n", 0), 0u) << log;
    EXPECT_LE((long)log.size(), room);
    EXPECT_EQ(log.find("ORVEX log:"), std::string::npos) << "writing stopped at the failure";
}

// A file-size limit (ulimit -f) with the signal at its default, as a shell leaves it:
// the program ignores SIGXFSZ, so the write past the limit fails and is reported like
// a full disk instead of ending the run.
TEST_F(ProgramTest, FileSizeLimitFailsTheWriteInsteadOfEndingTheRun) {
    Start({kProgram, "--headless", "--script", "exit.txt"}, 1200, true);
    std::string err = WaitForCleanEnd();
    EXPECT_EQ(CountOccurrences(err, LogFileUnwritable("File too large")), 1) << err;
}

// ---- damaged program settings ---------------------------------------------------

TEST_F(ProgramTest, DamagedProgXmlGivesOneLineAndTheRunGoesOnOnTheDefaults) {
    const std::string whole = kProgXml;
    const struct {
        const char *what;
        std::string text;
    } damages[] = {
        {"empty", ""},
        {"truncated", whole.substr(0, whole.size() / 2)},
        {"garbage", std::string("\x7f" "ELF\x02\x01\x01\0garbage", 16)},
    };
    for (const auto &d : damages) {
        SCOPED_TRACE(d.what);
        WriteFile("app/native/prog.xml", d.text);
        Start({kProgram, "--headless", "--script", "exit.txt"});
        Ending end = Wait();
        std::string err = Stderr();
        EXPECT_TRUE(end.exited && end.status == 0) << err;
        EXPECT_EQ(CountOccurrences(err, "Program settings './app/native/prog.xml' cannot be read ("), 1) << err;
        EXPECT_EQ(CountOccurrences(err, "); defaults are used.\n"), 1) << err;
    }
}

// ---- signals ----------------------------------------------------------------------

TEST_F(ProgramTest, ShutdownSignalsEndAHeadlessRunWithTheSummaryLine) {
    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(s));
        fs::remove_all(dir_ + "/data/Talvik");
        Start({kProgram, "--headless"});
        ASSERT_TRUE(WaitForLog("Initializing Program 'Run Test'..")) << Stderr() << Log();
        ASSERT_EQ(kill(pid_, s), 0);
        Ending end = Wait();
        EXPECT_TRUE(end.exited) << "ended by signal " << end.signal;
        EXPECT_EQ(end.status, 0);
        std::string log = Log();
        EXPECT_TRUE(std::regex_search(log, kSummaryAtEnd)) << log;
        EXPECT_NE(log.find("ORVEX Shutdown."), std::string::npos) << log;
    }
}

TEST_F(ProgramTest, HangUpEndsADesktopRunWithTheSummaryLine) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (CTest runs it under xvfb-run when there is one)";
    Start({kProgram});
    ASSERT_TRUE(WaitForLog("Initializing Program 'Run Test'..")) << Stderr() << Log();
    ASSERT_EQ(kill(pid_, SIGHUP), 0);
    Ending end = Wait();
    EXPECT_TRUE(end.exited) << "ended by signal " << end.signal;
    EXPECT_EQ(end.status, 0) << Stderr();
    EXPECT_TRUE(std::regex_search(Log(), kSummaryAtEnd)) << Log();
}

// ---- the command line -------------------------------------------------------------

TEST_F(ProgramTest, UnknownSwitchesAreLeftToTheApplication) {
    Start({kProgram, "--headless", "--script", "exit.txt", "--level", "3", "-x"});
    Ending end = Wait();
    EXPECT_TRUE(end.exited && end.status == 0) << Stderr();
    EXPECT_NE(Log().find("Command line: '--headless --script exit.txt --level 3 -x'."), std::string::npos) << Log();
    EXPECT_TRUE(std::regex_search(Log(), kSummaryAtEnd)) << "the script's exit still ended the run";
}

TEST_F(ProgramTest, EngineSwitchesStillWork) {
    Start({kProgram, "--help"});
    Ending end = Wait();
    EXPECT_TRUE(end.exited && end.status == 0);
    EXPECT_NE(Stdout().find("--script FILE"), std::string::npos) << Stdout();
    EXPECT_FALSE(fs::exists(dir_ + "/" + kLogFile)) << "--help runs nothing";

    Start({kProgram, "--headless", "--script"});
    end = Wait();
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 2) << "a script switch without its file is refused";
    EXPECT_NE(Stderr().find("--script needs a file name."), std::string::npos) << Stderr();

    Start({kProgram, "--headless", "--script", "no-such-script.txt"});
    end = Wait();
    EXPECT_EQ(end.status, 2);
    EXPECT_NE(Stderr().find("Unable to play the event script no-such-script.txt: cannot be read"), std::string::npos) << Stderr();
}

}  // namespace
