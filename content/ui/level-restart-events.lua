-- ui/level-restart-events.lua
--
-- Asked before restarting a battle: "Restart" has the loader transition set the same
-- mission up again; "Cancel" goes back to the pause menu.

function OnLoad ()
end

function OnClick (name)
	if name == "Restart" then
		SendScreenMessage ("LoaderTransition", "RETRY_BATTLE", "");
		SwitchScreen ("LoaderTransition");
	elseif name == "Cancel" then
		PopScreen ();
	end
end
