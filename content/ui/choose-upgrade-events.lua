-- ui/choose-upgrade-events.lua
--
-- One trooper's weapon choice: the standard weapon first, then the class's variants (the
-- screen's code sets their icons, hides the unused slots, locks what the player has not
-- bought and moves the selector), the chosen weapon's texts and "Equip".

function OnLoad ()
end

function OnClick (name)
end
