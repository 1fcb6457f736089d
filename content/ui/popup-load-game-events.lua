-- ui/popup-load-game-events.lua
--
-- The prompt over the main menu when a saved battle exists: "Yes" resumes it, "No" drops
-- it. The screen's code acts on both buttons.

function OnLoad ()
end

function OnClick (name)
end
