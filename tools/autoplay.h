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
// Each battle's end is logged with its result screen and game seconds. Main thread.
#ifndef TOOLS_AUTOPLAY_H
#define TOOLS_AUTOPLAY_H

#include <stdint.h>

#include <string>

class AutoplayRun {
public:
    // Reads the switches from the command line and logs them; forgets earlier ones.
    void Read(const char *command_line);
    // On "MainMenu": the run's mission is entered once; true when it was.
    bool EnterMissionFromMainMenu();
    // Every frame of the test player: battle start, end and limit, and the stop.
    void Update(float dt);
    void Reset();

    std::string mission;      // "CHAPTER:MISSION", empty for none
    int stop_after = 0;       // result-screen clicks before shutdown; 0: never
    int limit_seconds = 0;    // game seconds a battle may last; 0: no limit
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
};

extern AutoplayRun autoplay;

#endif
