// The unattended run's switches, read from the command line (only with the product
// feature AUTO_TESTING_MODE):
// - "--autoplay-mission CHAPTER:MISSION": the first time the test player acts on
//   "MainMenu" it enters that mission as the play menu does;
// - "--autoplay-stop N": after the test player's click on the N-th result screen
//   ("LevelWon", "LevelLost", "GameOver") the program shuts down;
// - "--autoplay-limit S": a battle whose game clock passes S seconds with "Game" on top
//   is ended by the game's own loss path (its living troopers are killed, and its base);
//   the log names what was left: the wave script's place, the spawn queue, the living
//   enemies and troopers.
// - "--autoplay-real-speed": the screen manager's fast forward stays off, so battles
//   run at the speed a player sees them;
// - "--autoplay-measure S": from the first frame of the first battle, S seconds of
//   frames are measured: the main thread's CPU time per frame (its thread clock from
//   one frame to the next: update, drawing, presenting and the wait) and the time
//   between frames; one line gives their mean, 99th percentile and spread, with the
//   process's peak memory (VmHWM) at that point.
// A seeded run ("--seed N") that is not at real speed nor measuring runs on a fixed
// frame clock: every frame counts kFixedFrameSeconds whatever the wall clock says, so
// that the same seed plays the same game however loaded the machine is.
// Each battle's end is logged with its result screen and game seconds, the most
// entities it had in play at once and the process's peak memory. Main thread.
#ifndef TOOLS_AUTOPLAY_H
#define TOOLS_AUTOPLAY_H

#include <stdint.h>

#include <string>
#include <vector>

class AutoplayRun {
public:
    // Reads the switches from the command line and logs them; forgets earlier ones.
    void Read(const char *command_line);
    // On "MainMenu": the run's mission is entered once; true when it was.
    bool EnterMissionFromMainMenu();
    // The seconds a frame counts: the engine's (wall-clock) ones, or the fixed frame
    // clock's step in a seeded run.
    float FrameSeconds(float engine_seconds) const;
    // Every frame of the test player: battle start, end and limit, and the stop.
    void Update(float dt);
    void Reset();

    std::string mission;      // "CHAPTER:MISSION", empty for none
    int stop_after = 0;       // result-screen clicks before shutdown; 0: never
    int limit_seconds = 0;    // game seconds a battle may last; 0: no limit
    bool real_speed = false;  // no fast forward
    int measure_seconds = 0;  // seconds of frames measured from the first battle; 0: none
    bool fixed_frame = false; // frames count kFixedFrameSeconds
    static constexpr float kFixedFrameSeconds = 1.0f / 60.0f;
    bool mission_sent = false;
    int results_clicked = 0;
    bool shutdown_signalled = false;
    // The battle being watched.
    bool in_battle = false;
    bool limit_reached = false;
    std::string battle_mission;
    float battle_seconds = 0.0f;
    int clicks_seen = 0;
    // The battle clock's last value and the frame seconds it has not moved.
    uint32_t last_clock = 0;
    float still_seconds = 0.0f;
    bool stall_reported = false;
    int most_in_play = 0;  // entities in play at once, this battle
    // The measurement: 0 not started, 1 running, 2 done; the clocks at the last frame
    // and every frame's main-thread CPU time and distance from the one before (ns).
    int measuring = 0;
    int64_t measure_start_ns = 0;
    int64_t last_frame_ns = 0;
    int64_t last_cpu_ns = 0;
    std::vector<double> frame_cpu_ns;
    std::vector<double> frame_interval_ns;

private:
    void Measure();
};

// The process's peak resident memory (VmHWM) in kB; -1 where it cannot be read.
long PeakResidentKb();

extern AutoplayRun autoplay;

#endif
