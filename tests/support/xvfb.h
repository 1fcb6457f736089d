// A private X server for tests that need one: Xvfb on a display number it picks itself
// (-displayfd: it claims the number by its listening socket, so parallel tests never
// share one), ready for connections when the constructor returns, stopped when the
// object goes or the thread that made it ends (a crashed test leaves no server behind).
// Without Xvfb installed, display() is empty and the test skips. As any X server does,
// it resets when its last client goes, dropping connections still being set up then.
#ifndef TESTS_SUPPORT_XVFB_H
#define TESTS_SUPPORT_XVFB_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

class Xvfb {
public:
    // Starts Xvfb with one screen of the given geometry ("WxHxDEPTH") and the extra
    // arguments; display() is empty when it could not.
    explicit Xvfb(const std::string &screen, const std::vector<std::string> &extra = {});
    ~Xvfb();
    Xvfb(const Xvfb &) = delete;
    Xvfb &operator=(const Xvfb &) = delete;

    // ":N", or empty.
    const std::string &display() const { return display_; }

    // Xvfb's path in PATH; empty when it is not installed.
    static std::string Find();

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace testsupport

#endif
