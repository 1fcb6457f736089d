-- ui/level-leave-events.lua
--
-- Asked before leaving a battle: "Quit" hands the battle back to the loader transition,
-- which tears it down and returns to the menus (the battle saved between waves stays for
-- "Continue"); "No" goes back to the pause menu.

function OnLoad ()
end

function OnClick (name)
	if name == "Quit" then
		SendScreenMessage ("LoaderTransition", "LEAVE_BATTLE", "");
		SwitchScreen ("LoaderTransition");
	elseif name == "No" then
		PopScreen ();
	end
end
