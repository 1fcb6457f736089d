// The SDL2 desktop backend: one real window (no SDL GL context; EGL gets the native X11
// window), SDL's input pumped into the event queue on the main thread, and web links
// handed to the desktop's handler (xdg-open, started directly: no shell sees the link).
//
// Input, as the program sees it:
//   mouse            pointer events (buttons: 1 left, 2 middle, 4 right) and, for the
//                    left button, touch 0 (down, move while held, up)
//   touch screen     touches with ids 0..9 (lowest free), positions in buffer pixels
//   typed text       one key-down event per character, symbol = character code
//   special keys     Backspace, Return, Tab, Escape, arrows, Page Up/Down, Home, End,
//                    Insert, Delete, Shift, Ctrl, F1-F12: KEYCODE_* down and up events
//   Menu key         the navigator's swipe-down gesture
//   minimise / hide  window state thumbnail (1) / invisible (2); restore or show: 0
//   close, SIGINT    navigator exit
// Full screen covers the monitor the window is on; the picture is drawn scaled into it
// with its aspect kept, and mouse and finger positions are mapped back into the buffer.
// Sound: the layer's mixer plays through one SDL audio device (desktop_audio.cpp).
#include <fcntl.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/desktop_audio.h"
#include "platform/desktop_input.h"
#include "platform/device.h"

// Last: it brings in the X11 headers and their macros.
#include <SDL_syswm.h>
#include <X11/Xatom.h>

namespace ovdev {
namespace {

// Only web links go to the desktop's handler: an http:// or https:// scheme (any case),
// something after it, and no blanks or control characters anywhere.
bool IsWebLink(const std::string &url) {
    static const char *const kSchemes[] = {"http://", "https://"};
    bool web = false;
    for (const char *scheme : kSchemes) {
        const std::size_t n = std::strlen(scheme);
        web = web || (url.size() > n && strncasecmp(url.c_str(), scheme, n) == 0);
    }
    if (!web) return false;
    for (unsigned char c : url) {
        if (c <= 0x20 || c == 0x7f) return false;
    }
    return true;
}

// Starts program with the one argument, without a shell and without waiting for it: a
// short-lived child starts it and exits, so the program is nobody's child to reap and
// the game never waits for a browser. True once the program was started (exec worked).
bool SpawnDetached(const char *program, const std::string &argument) {
    // Everything the children use is made before fork: after it they only make
    // async-signal-safe calls.
    std::string name(program), arg(argument);
    char *argv[] = {name.data(), arg.data(), nullptr};
    int status_pipe[2];
    if (pipe2(status_pipe, O_CLOEXEC) != 0) return false;
    const int null_fd = open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t child = fork();
    if (child == 0) {
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            setsid();
            if (null_fd >= 0) {
                dup2(null_fd, 0);
                dup2(null_fd, 1);
                dup2(null_fd, 2);
            }
            execvp(argv[0], argv);
            const int error = errno;  // exec failed: tell the parent why
            if (write(status_pipe[1], &error, sizeof error) < 0) _exit(126);
            _exit(127);
        }
        if (grandchild < 0) {
            const int error = errno;
            if (write(status_pipe[1], &error, sizeof error) < 0) _exit(126);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    close(status_pipe[1]);
    if (null_fd >= 0) close(null_fd);
    if (child < 0) {
        close(status_pipe[0]);
        return false;
    }
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes without a word when exec worked (close-on-exec), and carries the
    // errno when it did not.
    int error = 0;
    ssize_t n;
    while ((n = read(status_pipe[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(status_pipe[0]);
    return n == 0;
}

class DesktopBackend : public detail::Backend {
public:
    // Starts SDL's video; null (and why in error) when no display can be opened.
    static std::unique_ptr<DesktopBackend> Open(std::string *error) {
        // EGL is handed an X11 window, so prefer X11; SDL_VIDEODRIVER still overrides.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            if (error) *error = std::string("SDL could not open a display: ") + SDL_GetError();
            return nullptr;
        }
        SDL_StartTextInput();
        return std::unique_ptr<DesktopBackend>(new DesktopBackend);
    }

    ~DesktopBackend() override {
        destroy_window();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        // When nothing else in the program uses SDL, let it release what it holds
        // (its D-Bus connection among others).
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    }

    const char *name() const override { return "desktop"; }

    void pump() override {
        int buffer_w = 0, buffer_h = 0, window_w = 0, window_h = 0;
        detail::WindowBufferSize(&buffer_w, &buffer_h);
        window_w = buffer_w;
        window_h = buffer_h;
        if (window_) SDL_GetWindowSize(window_, &window_w, &window_h);
        input_.set_sizes(buffer_w, buffer_h, window_w, window_h);

        std::vector<RawEvent> events;
        SDL_Event e;
        while (SDL_PollEvent(&e)) input_.translate(e, &events);
        for (const RawEvent &event : events) PushEvent(event);
    }

    int poll_interval_ms() const override { return 5; }

    bool create_window(int width, int height) override {
        if (window_) return false;
        window_ = SDL_CreateWindow("Orvex", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                   SDL_WINDOW_HIDDEN);
        if (!window_) SDL_Log("SDL_CreateWindow failed: %s", SDL_GetError());
        return window_ != nullptr;
    }

    bool resize_window(int width, int height) override {
        if (!window_) return false;
        // A window placed over the monitor by hand keeps covering it; leaving full
        // screen gives it the buffer size then.
        if (!(fullscreen_ && !wm_fullscreen_)) SDL_SetWindowSize(window_, width, height);
        return true;
    }

    bool set_fullscreen(bool fullscreen, int buffer_width, int buffer_height) override {
        if (!window_) return false;
        if (fullscreen == fullscreen_) return true;
        if (fullscreen) {
            // A window manager places a full-screen window itself (and keeps panels off
            // it); without one nobody answers the request, so the window is placed over
            // the monitor directly.
            wm_fullscreen_ = WindowManagerRuns();
            if (wm_fullscreen_) {
                if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
            } else {
                SDL_Rect bounds;
                if (SDL_GetDisplayBounds(DisplayIndex(), &bounds) != 0) return false;
                SDL_GetWindowPosition(window_, &windowed_x_, &windowed_y_);
                SDL_SetWindowPosition(window_, bounds.x, bounds.y);
                SDL_SetWindowSize(window_, bounds.w, bounds.h);
                SDL_RaiseWindow(window_);
            }
        } else if (wm_fullscreen_) {
            if (SDL_SetWindowFullscreen(window_, 0) != 0) return false;
            SDL_SetWindowSize(window_, buffer_width, buffer_height);
        } else {
            SDL_SetWindowSize(window_, buffer_width, buffer_height);
            SDL_SetWindowPosition(window_, windowed_x_, windowed_y_);
        }
        fullscreen_ = fullscreen;
        return true;
    }

    bool surface_size(int *width, int *height) override {
        if (!window_) return false;
        SDL_GetWindowSizeInPixels(window_, width, height);
        return true;
    }

    void desktop_size(int *width, int *height) override {
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(DisplayIndex(), &mode) == 0) {
            *width = mode.w;
            *height = mode.h;
        } else {
            *width = *height = 0;
        }
    }

    bool set_title(const std::string &title) override {
        if (!window_) return false;
        SDL_SetWindowTitle(window_, title.c_str());
        return true;
    }

    bool show_window() override {
        if (!window_) return false;
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
        return true;
    }

    void destroy_window() override {
        if (window_) SDL_DestroyWindow(window_);
        window_ = nullptr;
        fullscreen_ = wm_fullscreen_ = false;
    }

    void *native_window() override {
        SDL_SysWMinfo info;
        if (!WindowInfo(&info)) return nullptr;
        // An X11 window is an id, not an address; EGL takes it back as its native window.
        return reinterpret_cast<void *>(static_cast<std::uintptr_t>(info.info.x11.window));
    }

    void *native_display() override {
        SDL_SysWMinfo info;
        return WindowInfo(&info) ? static_cast<void *>(info.info.x11.display) : nullptr;
    }

    bool open_url(const std::string &url) override {
        return IsWebLink(url) && SpawnDetached("xdg-open", url);
    }

private:
    DesktopBackend() = default;

    // Window-system information of the window when it lives on X11.
    bool WindowInfo(SDL_SysWMinfo *info) const {
        if (!window_) return false;
        SDL_VERSION(&info->version);
        if (!SDL_GetWindowWMInfo(window_, info)) return false;
        return info->subsystem == SDL_SYSWM_X11;
    }

    // The monitor the window is on (the first one before there is a window).
    int DisplayIndex() const {
        const int index = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
        return index < 0 ? 0 : index;
    }

    // True when an X window manager that follows the desktop conventions runs (it names
    // its check window on the root window).
    bool WindowManagerRuns() const {
        SDL_SysWMinfo info;
        if (!WindowInfo(&info)) return false;
        Display *display = info.info.x11.display;
        const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
        if (check == None) return false;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                                              &type, &format, &count, &after, &data);
        const bool runs = status == Success && type == XA_WINDOW && count == 1;
        if (data) XFree(data);
        return runs;
    }

    SDL_Window *window_ = nullptr;
    bool fullscreen_ = false;
    bool wm_fullscreen_ = false;  // full screen through the window manager
    int windowed_x_ = 0, windowed_y_ = 0;
    desktop::InputTranslator input_;
};

}  // namespace

bool UseDesktopBackend(std::string *error) {
    std::unique_ptr<DesktopBackend> backend = DesktopBackend::Open(error);
    if (!backend) return false;
    detail::InstallBackend(std::move(backend), false);
    desktop::InstallAudioOutput();
    return true;
}

}  // namespace ovdev
