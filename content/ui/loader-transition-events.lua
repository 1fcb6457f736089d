-- ui/loader-transition-events.lua
--
-- The briefing between the menus and the battle: chapter, mission number and name, the
-- mission's picture in its frame, the orders under it and the loader's status line at the
-- bottom. The screen's code fills every text, loads the battle and waits for a tap on the
-- panel when there is a picture to look at.

function OnLoad ()
end

function OnClick (name)
end
