-- ui/fw/screen-browser-events.lua
--
-- The screen browser: every registered screen in "Screens"; "Edit" shows the picked one
-- as it stands. The screen's code fills the list and acts on "Edit".

function OnLoad ()
end

function OnClick (name)
end
