// The program with an event script: a script with form-feed and vertical-tab lines
// plays and its exit ends the run; a bad script is refused before the engine starts,
// with one stderr line naming the script, the line and the reason.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#ifndef ORVEX_GAME
#error "ORVEX_GAME must name the program"
#endif
#ifndef ORVEX_PROGRAM_DIR
#error "ORVEX_PROGRAM_DIR must name the laid-out program directory"
#endif

namespace {

struct ProgramRun {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string err;  // what it wrote to stderr
};

class ScriptProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/orvex-script-program-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        // The program finds res:// as app/native under its working directory.
        ASSERT_EQ(mkdir((dir_ + "/app").c_str(), 0755), 0);
        ASSERT_EQ(symlink(ORVEX_PROGRAM_DIR, (dir_ + "/app/native").c_str()), 0);
    }

    void TearDown() override {
        if (!dir_.empty()) {
            EXPECT_EQ(system(("rm -rf '" + dir_ + "'").c_str()), 0);
        }
    }

    std::string WriteScript(const std::string &text) {
        const std::string path = dir_ + "/events.txt";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Runs the program headless on the script in the scratch directory (bounded by a
    // timeout: a script that failed to play would leave the run going).
    ProgramRun RunScript(const std::string &script) {
        const std::string err_path = dir_ + "/stderr.txt";
        const std::string command = "cd '" + dir_ + "' && timeout 60 '" ORVEX_GAME
                                    "' --headless --script '" + script +
                                    "' > /dev/null 2> '" + err_path + "'";
        ProgramRun run;
        const int raw = system(command.c_str());
        if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
        std::ifstream in(err_path);
        std::ostringstream text;
        text << in.rdbuf();
        run.err = text.str();
        return run;
    }

    std::string dir_;
};

TEST_F(ScriptProgram, ScriptWithFormFeedAndVerticalTabLinesPlaysToItsExit) {
    const ProgramRun run = RunScript(WriteScript("# blank lines of every kind\n\f\n\v\n \f\v\t\r\nwait\f10\n\vexit\n"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("event script"), std::string::npos) << run.err;
}

struct BadScript {
    const char *text;
    const char *reason;  // the message after "<path>: "
};

TEST_F(ScriptProgram, BadScriptIsRefusedWithScriptLineAndReason) {
    const BadScript cases[] = {
        {"\f\ntouch down 1 2 3\n\vtouch down 12 1 1\n", "line 3: touch id must be a number from 0 to 9, not '12'"},
        {"wait 86400000\nwait 86400000\nexit\n", "line 2: waits before one event add up to more than 86400000 ms"},
        {"key 'a' press\nshake\n", "line 2: unknown event 'shake'"},
    };
    for (const BadScript &c : cases) {
        SCOPED_TRACE(c.text);
        const std::string script = WriteScript(c.text);
        const ProgramRun run = RunScript(script);
        EXPECT_EQ(run.status, 2);
        // One line, naming the script, the line and the reason.
        EXPECT_NE(run.err.find(script + ": " + c.reason + "\n"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
}

}  // namespace
