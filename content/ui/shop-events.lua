-- ui/shop-events.lua
--
-- The supply depot between waves: the shelf of items (the screen's code draws and scrolls
-- them between "ClipUL" and "ClipBR"), the chosen item's name, description and cost, the
-- buy and leave buttons, and the bunker's state at the bottom (the code fills the bar
-- between "BunkerHP" and "BunkerHPEnd" inside the "Health" gauge; sold repairs fly to
-- "Bunker").

function OnLoad ()
end

function OnClick (name)
end
