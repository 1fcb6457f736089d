-- ui/main-menu-events.lua
--
-- The main menu: the banner waving over the embers and the five actions. "Continue" shows
-- only while a saved battle exists; the screen's code draws and waves the banner.

function OnLoad ()
end

-- "Continue" is shown while the saved battle's file is there.
function ShowContinue ()
	SetProperty ("Continue:visible", OV_FileExists ("user://user/save-15.dat") == 1);
end

function OnEnter ()
	ShowContinue ();
	SwitchMusic ("music/theme", 1, 1);
end

-- The load-game prompt's "No" deleted the saved battle: "Continue" goes at once.
function OnScreenMessage (message, value)
	if message == "SAVED_BATTLE_DELETED" then
		ShowContinue ();
	end
end

function OnClick (name)
	if name == "Play" then
		PushScreen ("PlayMenu");
	elseif name == "Extras" then
		PushScreen ("Extras");
	elseif name == "Instructions" then
		PushScreen ("Tutorial");
	elseif name == "Continue" then
		PushScreen ("PopupLoadGame");
	elseif name == "Quit" then
		PushScreen ("ExitConfirmation");
	end
end
