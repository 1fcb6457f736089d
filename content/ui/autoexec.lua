-- ui/autoexec.lua
--
-- Runs once at start-up, after the templates: creates the screens that have no class of
-- their own. Each is a layout with its events file; all are preloaded with the others.

-- Menus.
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
