-- ui/chapter-3-completed-events.lua
--
-- The end of the campaign: a click anywhere or "Exit" leaves the battle as a won game,
-- which shows the credits and then the play menu.

function OnLoad ()
end

function OnClick (name)
	if name == "tap_to_continue" or name == "Exit" then
		SendScreenMessage ("LoaderTransition", "LEAVE_BATTLE_GAME_WON", "");
		SwitchScreen ("LoaderTransition");
	end
end
