// The service manager (`man`): starts the application's services in their fixed order
// and stops the ones that need stopping. Three sequences, each run once on the main
// thread:
// - PreInitializeBeforeVideoInit, from the engine's pre-initialisation event (before
//   the window and the renderer exist): search paths, scripting, product features,
//   audio, localisation, profiles, the effect library and the game registry;
// - InitializeAll, from the application's initialise hook (renderer up): the
//   leaderboards, the analytics log, the screens and the timeline;
// - Shutdown, from the application's shut-down hook after the profiles were saved:
//   localisation, the screens, the timeline, scripting, then the analytics log.
// Later services rely on earlier ones (scripting before every manager that registers
// script functions, features before audio, audio before profiles). No step's result is
// tested: a service that fails reports on its own and the sequence goes on.
//
// The services of the layers above (screens, timeline, effect library, online services) are reached
// through the calls the application's entry hands over before the engine starts
// (SetCalls); a call left null is skipped.
#ifndef APP_SERVICES_MANAGER_H
#define APP_SERVICES_MANAGER_H

// The steps of the layers above the services, in the order the sequences run them.
struct ManagerCalls {
    void (*init_effects)();                                   // pre-initialisation, after the profiles
    void (*init_screens)(int reference_width, int reference_height);  // initialisation
    void (*init_timeline)();                                  // initialisation: start, then "timeline.xml"
    void (*shutdown_screens)();                               // shutdown, after localisation
    void (*free_timeline)();                                  // shutdown, before scripting
    void (*init_leaderboards)();      // initialisation, first, with the product feature LEADERBOARDS
    void (*register_analyst)();       // initialisation, before the screens: the analytics script functions
    void (*enable_analyst)(bool on);  // initialisation (on, with the feature ANALYST); shutdown, last (off)
    void (*init_achievements)();      // initialisation, first, with the product feature ACHIEVEMENTS
    void (*init_news)();              // initialisation, after the screens, with the feature NEWS
    void (*init_test_player)();       // pre-initialisation, last: the automated test player
    void (*select_test_player_profile)();  // then, with the feature AUTO_TESTING_MODE: its profile
};

class Manager {
public:
    // Returns 1. Needs `ov` (set from the pre-initialisation event).
    int PreInitializeBeforeVideoInit();
    // Returns 1. The screens get the record's reference resolution.
    int InitializeAll();
    void Shutdown();

    // Replaces the calls into the layers above (copied; null forgets them all).
    void SetCalls(const ManagerCalls *calls);
    const ManagerCalls &GetCalls() const { return calls_; }

private:
    ManagerCalls calls_ = {};
};

// The one service manager (constant-initialised: the entry may hand it its calls from
// a static initialiser). Main thread only.
extern Manager man;

#endif
