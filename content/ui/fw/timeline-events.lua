-- ui/fw/timeline-events.lua
--
-- The timeline's events: the list of every event with its screen, the picked event's
-- name and text, "Play" to run it now. The screen's code fills the list and plays.

function OnLoad ()
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	end
end
