-- ui/feature-unlocked-events.lua
--
-- What a won mission opened up: up to three new things, one shown at a time (the screen's
-- code fills the icons, the texts and the count, moves the selector and names the button
-- "Next" or, on the last one, "Awesome!"). A fanfare greets the screen.

function OnLoad ()
end

function OnEnter ()
	PlaySound ("sfx/ui_unlock");
end

function OnClick (name)
end
