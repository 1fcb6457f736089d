-- ui/exit-confirmation-events.lua
--
-- Asked before the game closes: from the main menu's "Quit" and whenever the window is
-- asked to close. "Yes" shuts the game down; "No" takes the question away.

function OnLoad ()
end

function OnClick (name)
	if name == "Yes" then
		OrvexShutdown ();
	elseif name == "No" then
		PopScreen ();
	end
end
