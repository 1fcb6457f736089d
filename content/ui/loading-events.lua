-- ui/loading-events.lua
--
-- The loading screen: the banner over a dark field, "Loading..." in the lower right and the
-- spinning bullet beside it. The screen's code preloads the other screens and hands over
-- to the main menu; nothing here is clickable.

function OnLoad ()
end

function OnClick (name)
end
