-- ui/autoexec.lua
--
-- Creates the scripted screens (each a layout and its events file) at start-up, in the
-- templates' state. The screens of the code are made by the game itself.

-- Menus: the play menu, the extras and what they open, the profiles and their popups.
CreateScreen ("PlayMenu", "ui/play-menu.lua");
CreateScreen ("Extras", "ui/extras.lua");
CreateScreen ("Tutorial", "ui/tutorial.lua");
CreateScreen ("Options", "ui/options.lua");
CreateScreen ("Zedivevor", "ui/field-guide.lua");
CreateScreen ("Credits", "ui/credits.lua");
CreateScreen ("Profiles", "ui/profiles.lua");
CreateScreen ("NewProfile", "ui/new-profile.lua");
CreateScreen ("DeleteProfile", "ui/delete-profile.lua");
CreateScreen ("PopupOk", "ui/popup-ok.lua");

-- The battle's pause menu and its two questions.
CreateScreen ("PauseMenu", "ui/pause-menu.lua");
CreateScreen ("LevelLeave", "ui/level-leave.lua");
CreateScreen ("LevelRestart", "ui/level-restart.lua");

-- The campaign's story pages.
CreateScreen ("Chapter_1_Begin", "ui/chapter-1-begin.lua");
CreateScreen ("Chapter_1_Completed", "ui/chapter-completed.lua");
CreateScreen ("Chapter_2_Completed", "ui/chapter-completed.lua");
CreateScreen ("Chapter_3_Completed", "ui/chapter-3-completed.lua");

-- Achievements: the medal patch and the popup after a battle.
CreateScreen ("Achievements", "ui/achievements.lua");
CreateScreen ("AchievementUnlocked", "ui/achievement-unlocked.lua");

-- Asked before the game closes.
CreateScreen ("ExitConfirmation", "ui/exit-confirmation.lua");

-- The developer menu (its tool screens exist only in developer mode).
CreateScreen ("DevMenu", "ui/dev-menu.lua");
