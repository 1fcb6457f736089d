-- ui/level-lost-events.lua
--
-- The lost mission: the squad's cards (the screen's code fills and counts them up), the
-- battle's time, kills and last wave, and the way out: "Retry" starts the mission again,
-- "Quit" leaves for the menus; both go through the loader.

function OnLoad ()
end

function OnClick (name)
	if name == "Retry" then
		SendScreenMessage ("LoaderTransition", "RETRY_BATTLE", "");
		SwitchScreen ("LoaderTransition");
	elseif name == "Quit" then
		SendScreenMessage ("LoaderTransition", "LEAVE_BATTLE", "");
		SwitchScreen ("LoaderTransition");
	end
end
