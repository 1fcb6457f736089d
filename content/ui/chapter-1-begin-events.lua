-- ui/chapter-1-begin-events.lua
--
-- The story page before the very first mission: a click anywhere starts MISSION1_1 the
-- way the play menu's "Play" does.

function OnLoad ()
end

function OnClick (name)
	if name == "tap_to_continue" then
		SendScreenMessage ("LoaderTransition", "ENTER_BATTLE", "CHAPTER1:MISSION1_1");
		SwitchScreen ("LoaderTransition");
	end
end
