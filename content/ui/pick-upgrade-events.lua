-- ui/pick-upgrade-events.lua
--
-- The free upgrade a wave brings: three offers (the screen's code sets their icons and
-- moves the selector), the chosen one's name, kind and description, the trooper classes
-- to read about, and "Take it", which applies the pick and returns to the battle.

function OnLoad ()
end

function OnClick (name)
end
