// The log console: numbers, time-stamps and keeps every printed line, counts lines by
// level and appends them to the numbered log file (console-log.cpp). The overlay that
// shows the lines on screen, with its input line and history, uses the same record
// (console-overlay.cpp).
#ifndef OV_CONSOLE_H
#define OV_CONSOLE_H

#include "orvex.h"

#include <stdint.h>
#include <stdio.h>
#include <vector>

struct ov_font_t;

class ovConsole {
public:
    struct line_t {
        uint8_t level;
        int32_t number;
        ov_date_t date;
        char *text;
        char *thread;  // null only for the "..." marker line
    };

    ovConsole();
    ~ovConsole();
    // Sets the console up from the engine state and opens the log file.
    void Init();
    // Adds one message at a level; the caller holds the PRINT mutex.
    void AddString(int16_t level, const char *text);
    // Logs the counts of errors, warnings and infos and the files left open.
    void PrintStats();
    // Frees every stored line and disables the console.
    void Free();

    // Overlay (console-overlay.cpp), main thread only.
    // Shows or hides the overlay when the console is enabled; keeps it hidden otherwise.
    void Toggle();
    // Slides the overlay in or out (4 per second) and advances the cursor blink.
    void Update(float seconds);
    // Draws the panel, the stored lines that pass the filter and the input line.
    void Draw();
    // Edits the input line, walks the history, scrolls; 1 = consumed, 0 = disabled.
    int ProcessEvent(ov_event_t *ev);

    uint8_t enabled;
    uint8_t visible;
    float shown;
    ov_font_t *font;
    int32_t scroll;
    int32_t line_counter;
    uint8_t log_to_file;
    char log_path[260];
    // The log file, opened once by Init and kept (every line is flushed); null when
    // nothing is written.
    FILE *log_file = nullptr;
    uint8_t toggle_key;
    int32_t level_count[8];
    int16_t min_level;
    char input[512];
    int32_t cursor;
    uint8_t browsing_history;
    std::vector<char *> history;
    int32_t history_pos;
    float blink;
    uint8_t paste_armed = 1;  // a paste happens once per hold of the control key
    std::vector<line_t> lines;
    bool initialised;  // Init has run (before that, messages go to standard error)

    enum { kMaxLines = 8192 };

private:
    enum LogFailure { kFolderNotMade, kFileNotOpened, kFileNotWritten };
    // Makes the log folder (made_folder: this call created it), picks the file number
    // and writes the start lines; false, after one line on standard error, when any of
    // it fails.
    bool OpenLogFile(bool *made_folder);
    // Appends one numbered line and flushes it; on failure stops writing the file and
    // says so once.
    void AppendToLogFile(int32_t number, const ov_date_t &d, const char *thread, const char *text);
    // Closes the kept log file, if any.
    void CloseLogFile();
    // One line on standard error: what failed, where (the native path) and why.
    static void ReportLogFailure(LogFailure what, const char *path, int error);
};

extern ovConsole ov_con;

#endif
