-- ui/arm-troopers-events.lua
--
-- The squad's armoury before a battle: one panel per trooper (the screen's code shows the
-- occupied ones and centres the row), the trooper's class above the weapon it carries;
-- tapping either opens the weapon choice for that trooper, "Ready" keeps the choices.

function OnLoad ()
end

function OnClick (name)
end
