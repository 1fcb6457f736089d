-- ui/analyze-mission-events.lua
--
-- The mission analysis: the money the player can hold after each wave of the level the
-- screen was sent ("MISSION"), one line per wave from "dummy_names" down.

function OnLoad ()
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	end
end
